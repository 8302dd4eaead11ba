#include "ui/application.h"

#include "ui/caret_blink.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {
const QString kDesignFont = QStringLiteral("ＭＳ Ｐゴシック");
}

void prepareApplication(QApplication& app)
{
    app.setApplicationName(QStringLiteral("vornikedit"));
    app.setOrganizationName(QStringLiteral("vornikedit"));

    new CaretBlinkTimeout(app);

    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(translator);

    // The windows ask for the proportional Japanese font of their design by name; these are
    // the ones a Debian desktop has.
    QFont::insertSubstitutions(kDesignFont, {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic"),
                                             QStringLiteral("VL PGothic"), QStringLiteral("TakaoPGothic"),
                                             QStringLiteral("IPAexGothic")});
}

QFont initialDocumentFont()
{
    QFont font(kDesignFont);
    font.setPointSizeF(10.2);
    return font;
}
