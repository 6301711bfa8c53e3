// mkmanual: turns the Markdown user manual into the PDF the bundle carries.
//   mkmanual MANUAL.md OUT.pdf [PICTURE_FOLDER ...]
// A picture is looked for beside the Markdown file, then in each folder in
// turn; one that none of them has is left out, so the manual builds before
// anyone has taken its pictures.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <cstdio>

namespace {

// Wider pictures are shown at this width; A4 less the print margins, in the
// document's units.
constexpr qreal cPictureWidth = 580;

QString FindPicture(const QString& name, const QStringList& folders) {
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(name);
        if (QFileInfo::exists(path)) return QFileInfo(path).absoluteFilePath();
    }
    return {};
}

// Points every picture at the file found for it and leaves out the ones no
// folder has, with their paragraph when nothing else is in it.
QString ResolvePictures(const QString& markdown, const QStringList& folders) {
    static const QRegularExpression picture(R"(!\[([^\]]*)\]\(([^)\s]+)\))");
    QString out;
    for (const QString& paragraph : markdown.split(QStringLiteral("\n\n"))) {
        QString text = paragraph;
        QRegularExpressionMatchIterator it = picture.globalMatch(paragraph);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            const QString found = FindPicture(m.captured(2), folders);
            text.replace(m.captured(0),
                         found.isEmpty() ? QString()
                                         : QStringLiteral("![%1](%2)").arg(m.captured(1), found));
        }
        if (!text.trimmed().isEmpty()) out += text + QStringLiteral("\n\n");
    }
    return out;
}

void FitPictures(QTextDocument* doc) {
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            if (!format.isValid()) continue;
            const QImage image(format.name());
            if (image.isNull() || image.width() <= cPictureWidth) continue;
            format.setWidth(cPictureWidth);
            format.setHeight(cPictureWidth * image.height() / image.width());
            QTextCursor cursor(doc);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: mkmanual MANUAL.md OUT.pdf [PICTURE_FOLDER ...]\n");
        return 2;
    }
    // Laying out text needs fonts, not a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "mkmanual: cannot read %s\n", argv[1]);
        return 1;
    }
    QStringList folders{QFileInfo(source).absolutePath()};
    for (int i = 3; i < argc; ++i) folders << QString::fromLocal8Bit(argv[i]);

    QTextDocument doc;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10.5);
    doc.setDefaultFont(font);
    doc.setMarkdown(ResolvePictures(QString::fromUtf8(source.readAll()), folders));
    FitPictures(&doc);

    const QString outPath = QString::fromLocal8Bit(argv[2]);
    {
        QPdfWriter writer(outPath);
        writer.setTitle(doc.toPlainText().section(QLatin1Char('\n'), 0, 0));
        writer.setCreator(QStringLiteral("mkmanual"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter));
        doc.print(&writer);
    }
    if (QFileInfo(outPath).size() == 0) {
        std::fprintf(stderr, "mkmanual: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
