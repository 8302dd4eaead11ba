#include "app/about_box.h"

#include "app/version.h"
#include "app/window_parts.h"
#include "ui/menu_surface.h"

#include <QAction>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

QString developmentVersionCaption(int major, int minor, int revision)
{
    return QStringLiteral("開発Ver : %1.%2.%3").arg(major).arg(minor).arg(revision);
}

namespace {
QLabel* label(QWidget* parent, const char* name, const QString& text, int index = -1)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    if (index >= 0)
        l->setProperty("index", index);
    return l;
}

QFrame* line(QWidget* parent, int index)
{
    auto* f = new QFrame(parent);
    f->setObjectName(QStringLiteral("Line1"));
    f->setProperty("index", index);
    f->setFrameShape(QFrame::HLine);
    f->setFrameShadow(QFrame::Sunken);
    return f;
}
}

frmAbout::frmAbout(QWidget* parent, bool userTagsAvailable) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    // The box has no title text. An empty title is not enough: Qt fills it with the
    // application's name, so the title is a lone blank.
    setWindowTitle(QStringLiteral(" "));
    setModal(true);

    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(QIcon(QStringLiteral(":/icons/vornikedit.svg")).pixmap(32, 32));
    picIcon->setAlignment(Qt::AlignTop);

    QLabel* name = label(this, "Label1", QStringLiteral("vornikedit"));
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    name->setFont(big);

    auto* details = new QGridLayout;
    details->addWidget(label(this, "lblVersion",
                             developmentVersionCaption(vornik::versionMajor, vornik::versionMinor,
                                                       vornik::versionPatch)),
                       0, 0, 1, 2);
    details->addWidget(label(this, "L", QStringLiteral("Ver : 0.35"), 0), 1, 0, 1, 2);
    details->addWidget(label(this, "L", QStringLiteral("オプション :"), 1), 2, 0);
    details->addWidget(label(this, "L", userTagsAvailable ? QStringLiteral("タグ追加機能") : QStringLiteral("なし"), 2),
                       2, 1);
    details->setColumnStretch(1, 1);

    auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    // Esc reaches QDialog::reject, so OK is the cancel button as well.
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* head = new QHBoxLayout;
    head->addWidget(picIcon);
    head->addWidget(name, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);

    auto* column = new QVBoxLayout(this);
    column->addWidget(line(this, 0));
    column->addLayout(head);
    column->addWidget(line(this, 1));
    column->addLayout(details);
    column->addWidget(line(this, 2));
    column->addWidget(label(this, "lblDescription",
                            QStringLiteral("HTML を手で書く人のためのテキストエディタです。")));
    column->addWidget(label(this, "lblNote",
                            QStringLiteral("このプログラムは無保証です。ご自身の責任でお使いください。")));
    column->addWidget(line(this, 3));
    column->addLayout(buttons);
    setFixedSize(sizeHint());
}

void installAboutCommand(MenuSurface& menus, QWidget& window)
{
    menus.onTriggered(QStringLiteral("vershow"), [&menus, &window] {
        frmAbout box(&window, menus.action(QStringLiteral("uTag"))->isEnabled());
        box.exec();
    });
}
