// The product's names and version, as the bundle, its windows and its
// manual show them.
#ifndef HZ_COMMON_PRODUCTNAMES_H
#define HZ_COMMON_PRODUCTNAMES_H

inline constexpr char cMyPluginName[] = "horizonfix";
inline constexpr char cMyClearName[] = "Horizon Fix";
inline constexpr char cMyBundleID[] = "com.vond.clipfx.horizonfix";
inline constexpr char cPlugVersion[] = "3.0.0 (Linux x86-64)";

#endif
