#include "platform/resources/ResourceFork.h"

#include <algorithm>
#include <utility>

namespace {

constexpr uint64_t cHeaderLength = 16;
// The header is followed by areas reserved for the system and the
// application; data starts after them in files the original platform wrote.
constexpr uint32_t cDataStart = 256;
constexpr uint64_t cMapHeaderLength = 28;
constexpr uint64_t cTypeListOffsetField = 24;
constexpr uint64_t cNameListOffsetField = 26;
constexpr uint64_t cTypeEntryLength = 8;
constexpr uint64_t cReferenceLength = 12;
constexpr uint32_t cNoName = 0xFFFF;
constexpr uint64_t cMaxShortOffset = 0xFFFF;
constexpr uint64_t cMaxDataOffset = 0xFFFFFF;
constexpr uint64_t cMaxListLength = 0x10000;
constexpr uint64_t cMaxNameLength = 255;

struct RegionRec {
    const uint8_t* base;
    uint64_t length;
};

struct RangeRec {
    uint64_t start;
    uint64_t end;
};

bool Fits(const RegionRec& region, uint64_t pos, uint64_t count) {
    return pos <= region.length && count <= region.length - pos;
}

// Every read goes through here, so no offset taken from the file can reach
// outside its region.
bool ReadBigEndian(const RegionRec& region, uint64_t pos, int width, uint32_t* value) {
    if (!Fits(region, pos, static_cast<uint64_t>(width))) return false;
    uint32_t result = 0;
    for (int i = 0; i < width; ++i) result = (result << 8) | region.base[pos + i];
    *value = result;
    return true;
}

bool Disjoint(std::vector<RangeRec> ranges) {
    std::sort(ranges.begin(), ranges.end(),
              [](const RangeRec& a, const RangeRec& b) { return a.start < b.start; });
    uint64_t end = 0;
    for (const RangeRec& range : ranges) {
        if (range.start == range.end) continue;
        if (range.start < end) return false;
        end = range.end;
    }
    return true;
}

struct TypeRec {
    ResType type;
    uint64_t count;
    uint64_t listStart;
};

struct ReferenceRec {
    ResType type;
    int16_t id;
    uint8_t attributes;
    bool hasName;
    uint64_t nameStart;
    uint64_t nameLength;
    uint64_t dataStart;
    uint64_t dataLength;
};

bool ReadTypes(const RegionRec& map, uint64_t typeListOffset, std::vector<TypeRec>* types,
               std::vector<RangeRec>* mapClaims) {
    uint32_t countField;
    if (!ReadBigEndian(map, typeListOffset, 2, &countField)) return false;
    // The field holds the count less one, so an empty list reads 0xFFFF.
    const uint64_t typeCount = (countField + 1) & 0xFFFF;
    const uint64_t entriesStart = typeListOffset + 2;
    if (!Fits(map, entriesStart, typeCount * cTypeEntryLength)) return false;
    mapClaims->push_back({typeListOffset, entriesStart + typeCount * cTypeEntryLength});

    for (uint64_t i = 0; i < typeCount; ++i) {
        const uint64_t pos = entriesStart + i * cTypeEntryLength;
        uint32_t type, refCountField, listOffset;
        if (!ReadBigEndian(map, pos, 4, &type) || !ReadBigEndian(map, pos + 4, 2, &refCountField) ||
            !ReadBigEndian(map, pos + 6, 2, &listOffset)) {
            return false;
        }
        const uint64_t count = uint64_t(refCountField) + 1;
        const uint64_t listStart = typeListOffset + listOffset;
        if (!Fits(map, listStart, count * cReferenceLength)) return false;
        mapClaims->push_back({listStart, listStart + count * cReferenceLength});
        types->push_back({type, count, listStart});
    }

    std::vector<ResType> seen;
    for (const TypeRec& t : *types) seen.push_back(t.type);
    std::sort(seen.begin(), seen.end());
    return std::adjacent_find(seen.begin(), seen.end()) == seen.end();
}

bool ReadReferences(const RegionRec& map, const RegionRec& data, uint64_t nameListOffset,
                    const std::vector<TypeRec>& types, std::vector<ReferenceRec>* references,
                    std::vector<RangeRec>* mapClaims, std::vector<RangeRec>* dataClaims) {
    for (const TypeRec& t : types) {
        for (uint64_t j = 0; j < t.count; ++j) {
            const uint64_t pos = t.listStart + j * cReferenceLength;
            uint32_t id, nameOffset, attributes, dataOffset, dataLength;
            if (!ReadBigEndian(map, pos, 2, &id) || !ReadBigEndian(map, pos + 2, 2, &nameOffset) ||
                !ReadBigEndian(map, pos + 4, 1, &attributes) ||
                !ReadBigEndian(map, pos + 5, 3, &dataOffset)) {
                return false;
            }
            ReferenceRec ref{t.type,
                             static_cast<int16_t>(id),
                             static_cast<uint8_t>(attributes),
                             nameOffset != cNoName,
                             0,
                             0,
                             0,
                             0};
            if (ref.hasName) {
                const uint64_t namePos = nameListOffset + nameOffset;
                uint32_t nameLength;
                if (!ReadBigEndian(map, namePos, 1, &nameLength) ||
                    !Fits(map, namePos + 1, nameLength)) {
                    return false;
                }
                ref.nameStart = namePos + 1;
                ref.nameLength = nameLength;
                mapClaims->push_back({namePos, namePos + 1 + nameLength});
            }
            if (!ReadBigEndian(data, dataOffset, 4, &dataLength) ||
                !Fits(data, dataOffset + 4, dataLength)) {
                return false;
            }
            ref.dataStart = dataOffset + 4;
            ref.dataLength = dataLength;
            dataClaims->push_back({dataOffset, dataOffset + 4 + uint64_t(dataLength)});
            references->push_back(ref);
        }
    }
    return true;
}

void PutBigEndian(std::vector<uint8_t>* bytes, size_t pos, int width, uint64_t value) {
    for (int i = width - 1; i >= 0; --i) {
        (*bytes)[pos + i] = static_cast<uint8_t>(value);
        value >>= 8;
    }
}

void AppendBigEndian(std::vector<uint8_t>* bytes, int width, uint64_t value) {
    bytes->resize(bytes->size() + width);
    PutBigEndian(bytes, bytes->size() - width, width, value);
}

}  // namespace

bool ParseResourceFork(const uint8_t* bytes, size_t length,
                       std::vector<ResourceEntryRec>* entries) {
    const RegionRec file{bytes, length};
    uint32_t dataOffset, mapOffset, dataLength, mapLength;
    if (!ReadBigEndian(file, 0, 4, &dataOffset) || !ReadBigEndian(file, 4, 4, &mapOffset) ||
        !ReadBigEndian(file, 8, 4, &dataLength) || !ReadBigEndian(file, 12, 4, &mapLength)) {
        return false;
    }
    if (dataOffset < cHeaderLength || mapOffset < cHeaderLength) return false;
    if (!Fits(file, dataOffset, dataLength) || !Fits(file, mapOffset, mapLength)) return false;
    if (!Disjoint({{dataOffset, uint64_t(dataOffset) + dataLength},
                   {mapOffset, uint64_t(mapOffset) + mapLength}})) {
        return false;
    }
    const RegionRec data{bytes + dataOffset, dataLength};
    const RegionRec map{bytes + mapOffset, mapLength};

    uint32_t typeListOffset, nameListOffset;
    if (!ReadBigEndian(map, cTypeListOffsetField, 2, &typeListOffset) ||
        !ReadBigEndian(map, cNameListOffsetField, 2, &nameListOffset)) {
        return false;
    }
    if (typeListOffset < cMapHeaderLength || nameListOffset < cMapHeaderLength ||
        nameListOffset > mapLength) {
        return false;
    }

    std::vector<RangeRec> mapClaims{{0, cMapHeaderLength}};
    std::vector<TypeRec> types;
    if (!ReadTypes(map, typeListOffset, &types, &mapClaims)) return false;
    // Once the lists are known not to share bytes, their total length bounds
    // the work below by the size of the file.
    if (!Disjoint(mapClaims)) return false;

    std::vector<ReferenceRec> references;
    std::vector<RangeRec> dataClaims;
    if (!ReadReferences(map, data, nameListOffset, types, &references, &mapClaims, &dataClaims)) {
        return false;
    }
    if (!Disjoint(mapClaims) || !Disjoint(dataClaims)) return false;

    std::vector<std::pair<ResType, int16_t>> keys;
    for (const ReferenceRec& ref : references) keys.emplace_back(ref.type, ref.id);
    std::sort(keys.begin(), keys.end());
    if (std::adjacent_find(keys.begin(), keys.end()) != keys.end()) return false;

    std::vector<ResourceEntryRec> parsed;
    parsed.reserve(references.size());
    for (const ReferenceRec& ref : references) {
        ResourceEntryRec entry{ref.type, ref.id, ref.hasName, std::string(), ref.attributes, {}};
        if (ref.hasName) {
            entry.name.assign(reinterpret_cast<const char*>(map.base + ref.nameStart),
                              ref.nameLength);
        }
        entry.data.assign(data.base + ref.dataStart, data.base + ref.dataStart + ref.dataLength);
        parsed.push_back(std::move(entry));
    }
    *entries = std::move(parsed);
    return true;
}

OSErr BuildResourceFork(const std::vector<ResourceEntryRec>& entries, std::vector<uint8_t>* bytes) {
    std::vector<ResType> typeOrder;
    std::vector<std::vector<const ResourceEntryRec*>> groups;
    for (const ResourceEntryRec& entry : entries) {
        const auto found = std::find(typeOrder.begin(), typeOrder.end(), entry.type);
        if (found == typeOrder.end()) {
            typeOrder.push_back(entry.type);
            groups.push_back({&entry});
        } else {
            groups[found - typeOrder.begin()].push_back(&entry);
        }
    }
    if (typeOrder.size() > cMaxListLength) return ioErr;

    std::vector<uint8_t> dataSection;
    std::vector<uint64_t> dataOffsets;
    for (const auto& group : groups) {
        if (group.size() > cMaxListLength) return ioErr;
        for (const ResourceEntryRec* entry : group) {
            if (dataSection.size() > cMaxDataOffset || entry->data.size() > UINT32_MAX)
                return ioErr;
            dataOffsets.push_back(dataSection.size());
            AppendBigEndian(&dataSection, 4, entry->data.size());
            dataSection.insert(dataSection.end(), entry->data.begin(), entry->data.end());
        }
    }

    const uint64_t typeListLength = 2 + typeOrder.size() * cTypeEntryLength;
    const uint64_t nameListOffset =
        cMapHeaderLength + typeListLength + entries.size() * cReferenceLength;
    if (nameListOffset > cMaxShortOffset) return ioErr;

    std::vector<uint8_t> map(nameListOffset, 0);
    PutBigEndian(&map, cTypeListOffsetField, 2, cMapHeaderLength);
    PutBigEndian(&map, cNameListOffsetField, 2, nameListOffset);
    PutBigEndian(&map, cMapHeaderLength, 2, (typeOrder.size() - 1) & 0xFFFF);

    std::vector<uint8_t> names;
    uint64_t referencePos = cMapHeaderLength + typeListLength;
    size_t dataIndex = 0;
    for (size_t i = 0; i < groups.size(); ++i) {
        const uint64_t typePos = cMapHeaderLength + 2 + i * cTypeEntryLength;
        PutBigEndian(&map, typePos, 4, typeOrder[i]);
        PutBigEndian(&map, typePos + 4, 2, groups[i].size() - 1);
        PutBigEndian(&map, typePos + 6, 2, referencePos - cMapHeaderLength);
        for (const ResourceEntryRec* entry : groups[i]) {
            uint64_t nameOffset = cNoName;
            if (entry->hasName) {
                if (names.size() >= cNoName || entry->name.size() > cMaxNameLength) return ioErr;
                nameOffset = names.size();
                names.push_back(static_cast<uint8_t>(entry->name.size()));
                names.insert(names.end(), entry->name.begin(), entry->name.end());
            }
            PutBigEndian(&map, referencePos, 2, static_cast<uint16_t>(entry->id));
            PutBigEndian(&map, referencePos + 2, 2, nameOffset);
            PutBigEndian(&map, referencePos + 4, 1, entry->attributes);
            PutBigEndian(&map, referencePos + 5, 3, dataOffsets[dataIndex++]);
            referencePos += cReferenceLength;
        }
    }
    map.insert(map.end(), names.begin(), names.end());

    const uint64_t mapOffset = cDataStart + dataSection.size();
    if (mapOffset + map.size() > UINT32_MAX) return ioErr;
    std::vector<uint8_t> header(cHeaderLength);
    PutBigEndian(&header, 0, 4, cDataStart);
    PutBigEndian(&header, 4, 4, mapOffset);
    PutBigEndian(&header, 8, 4, dataSection.size());
    PutBigEndian(&header, 12, 4, map.size());
    // The map opens with a copy of the header, as the original platform kept.
    std::copy(header.begin(), header.end(), map.begin());

    std::vector<uint8_t> result(cDataStart, 0);
    std::copy(header.begin(), header.end(), result.begin());
    result.insert(result.end(), dataSection.begin(), dataSection.end());
    result.insert(result.end(), map.begin(), map.end());
    *bytes = std::move(result);
    return noErr;
}
