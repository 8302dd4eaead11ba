#include "app/main_window.h"

#include "app/application.h"
#include "app/command_line.h"
#include "app/document_box.h"
#include "app/file_controler.h"
#include "app/paths.h"
#include "app/subsystems.h"
#include "app/window_settings.h"
#include "platform/optional_files.h"
#include "platform/program_folder.h"
#include "search/search_commands.h"
#include "tags/markup_rows.h"
#include "ui/document_context_menu.h"
#include "ui/menu_surface.h"
#include "ui/message_box.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLayout>
#include <QMenuBar>
#include <QSaveFile>
#include <QScreen>
#include <QTimer>

namespace {
// Client area and the document box's place in it, in pixels (15 twips to a pixel).
constexpr QSize kClientSize(618, 408);
constexpr int kBoxLeft = 4;
constexpr int kBoxTop = 28;
constexpr int kBoxWidthMargin = 6;
constexpr int kBoxHeightMargin = 29;
constexpr int kDesignLeft = 4;
constexpr int kDesignTop = 28;

const QString kExitQuestion = QStringLiteral("文書を保存していません。\r本当に終了してよろしいですか？");
}

ProgramState& programState()
{
    static ProgramState state;
    return state;
}

HtmlE::HtmlE(QWidget* parent)
    : QMainWindow(parent), m_fileControler(std::make_unique<FileControler>())
{
    setObjectName(QStringLiteral("HtmlE"));
    setWindowTitle(QStringLiteral("vornikedit!"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("HtmlEClient"));
    m_client->setMouseTracking(true);
    m_client->installEventFilter(this);
    setCentralWidget(m_client);

    m_editwindow = new DocumentBox(m_client);
    m_editwindow->setGeometry(kBoxLeft, kBoxTop, 485, 269); // the design size, until the first resize
    m_editwindow->setFont(initialDocumentFont());
    connect(m_editwindow->document(), &QTextDocument::contentsChanged, this,
            [this] { m_changedSinceBaseline = true; });

    m_timet = new QTimer(this);
    m_timet->setObjectName(QStringLiteral("timet"));
    m_timet->setInterval(1000);
    connect(m_timet, &QTimer::timeout, this, &HtmlE::tick);

    buildMenus();
    installOwnCommands();
    installFileCommands(*this);
    installTemplateCommands(*this);
    installUserTagCommands(*this);
    installColourCommands(*this);
    installTableCommands(*this);
    installCommandSurface(*this);
    installAppearanceCommands(*this);
    DocumentContextMenu::of(m_editwindow, this);
    installSearchCommands(this, m_editwindow);
}

HtmlE::~HtmlE() = default;

QWidget* HtmlE::clientArea() const
{
    return m_client;
}

void HtmlE::buildMenus()
{
    m_menus = std::make_unique<MenuSurface>(menuBar(), this);
}

void HtmlE::installOwnCommands()
{
    m_menus->onTriggered(QStringLiteral("Fin"), [this] { Fin_Click(); });
    m_menus->onTriggered(QStringLiteral("gotoend"), [this] { gotoend_Click(); });
    for (const MarkupRow& row : markupRows())
        m_menus->onTriggered(QString::fromLatin1(row.item), [this, &row] { runMarkup(row); });
}

void HtmlE::startUp(const QString& commandLine)
{
    // 1-2: the file named on the command line.
    if (!commandLine.isEmpty())
        setDocument(QString());
    if (const std::optional<QString> path = commandLineFilePath(commandLine))
        loadDocumentFile(*this, *path);

    // 3: the user tags, only where the companion is installed.
    if (FileExists(ProgramFolder() + QStringLiteral("user.exe"))) {
        if (QWidget* button = findChild<QWidget*>(QStringLiteral("htmlUserTag")))
            button->setEnabled(true);
        m_menus->action(QStringLiteral("uTag"))->setEnabled(true);
        LoadUserTags(*this);
    }

    // 4-5: the template menu and the receiving endpoint.
    BuildTemplateMenu(*this);
    startReceiver(*this);

    // 6: the general panel.
    m_state.PanelMode = 1;

    // 7-9: client size, then the stored position and size.
    move(kDesignLeft, kDesignTop);
    resize(kClientSize.width(), kClientSize.height() + menuBar()->sizeHint().height());
    if (layout())
        layout()->activate();
    layoutClient(); // a hidden window gets its resize events only when shown
    applyWindowSettings();

    // The title bar names the file as soon as the window shows.
    refreshTitle();
}

void HtmlE::refreshTitle()
{
    if (!m_state.FilePath.isEmpty())
        TakeFileTitle(m_state.FilePath);
    tick();
}

QString HtmlE::readSelection() const
{
    return m_editwindow->readSelection();
}

void HtmlE::replaceSelection(const QString& text)
{
    m_editwindow->replaceSelection(text);
}

void HtmlE::runMarkup(const MarkupRow& row)
{
    if (row.kind == MarkupKind::Wrap) {
        m_state.SelRam = readSelection();
        m_state.TagRam = markupText(row, m_state.SelRam);
    } else {
        m_state.TagRam = markupText(row, QString());
    }
    replaceSelection(m_state.TagRam);
}

void HtmlE::setBaseline(const QString& text)
{
    m_TxtRam = text;
    m_changedSinceBaseline = true; // unknown until compared
}

void HtmlE::takeDocumentAsBaseline()
{
    m_TxtRam = m_editwindow->documentText();
    m_changedSinceBaseline = false;
}

void HtmlE::takeDocumentAsBaseline(QString text)
{
    m_TxtRam = std::move(text);
    m_changedSinceBaseline = false;
}

bool HtmlE::hasUnsavedChanges() const
{
    if (m_editwindow->isEmpty())
        return false;
    // While nothing changed since the baseline was taken from the box, they are equal; the
    // whole text is compared only after an edit.
    if (!m_changedSinceBaseline)
        return false;
    const bool differs = m_editwindow->documentText() != m_TxtRam;
    if (!differs)
        m_changedSinceBaseline = false;
    return differs;
}

void HtmlE::setDocument(const QString& crlfText)
{
    m_editwindow->setDocumentText(crlfText);
}

void HtmlE::setSaveControlsEnabled(bool enabled)
{
    m_menus->action(QStringLiteral("SaveFiLE"))->setEnabled(enabled);
    for (const char* name : {"SaveFileIcon", "SaveMini"}) {
        if (QWidget* button = findChild<QWidget*>(QLatin1String(name)))
            button->setEnabled(enabled);
    }
}

void HtmlE::tick()
{
    updateTitleBar(*this);
    watchCompanion(*this);
    updatePathMenu(*this);
}

QString HtmlE::settingsFilePath() const
{
    return optionalFilePath(QStringLiteral("vornik!.ini"));
}

void HtmlE::writeWindowSettings()
{
    // An installed program folder cannot be written: the user's folder keeps the position.
    QSaveFile file(writableFilePath(QStringLiteral("vornik!.ini")));
    if (!file.open(QIODevice::WriteOnly))
        return;
    const QByteArray bytes = formatWindowSettings(frameGeometry());
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return;
    }
    file.commit();
}

void HtmlE::applyWindowSettings()
{
    QFile file(settingsFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return;
    // Four short lines; never read more than a little of whatever the file is.
    const WindowSettings settings = parseWindowSettings(file.read(4096));
    file.close();

    QList<QRect> screens;
    for (QScreen* screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    const QRect outer = placeWindow(frameGeometry(), settings, screens);
    move(outer.topLeft());
    const QSize frameExtra = frameGeometry().size() - size();
    resize(outer.size() - frameExtra);
    if (settings.height || settings.width)
        m_pendingOuter = outer;
}

void HtmlE::applyPendingOuterGeometry()
{
    if (!m_pendingOuter)
        return;
    const QSize frameExtra = frameGeometry().size() - size();
    if (frameExtra.width() == 0 && frameExtra.height() == 0)
        return; // not framed yet: try again later
    resize(m_pendingOuter->size() - frameExtra);
    m_pendingOuter.reset();
}

void HtmlE::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_timet->isActive())
        m_timet->start();
    if (m_pendingOuter) {
        // The window manager frames the window shortly after it is shown.
        QTimer::singleShot(0, this, [this] { applyPendingOuterGeometry(); });
        QTimer::singleShot(300, this, [this] { applyPendingOuterGeometry(); m_pendingOuter.reset(); });
    }
}

void HtmlE::layoutClient()
{
    const QSize client = m_client->size();
    const int width = client.width() - kBoxWidthMargin;
    const int height = client.height() - kBoxHeightMargin;
    QRect box = m_editwindow->geometry();
    box.moveTopLeft(QPoint(kBoxLeft, kBoxTop));
    if (width >= 0)
        box.setWidth(width);
    if (height >= 0)
        box.setHeight(height);
    m_editwindow->setGeometry(box);
}

bool HtmlE::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        layoutClient();
    return QMainWindow::eventFilter(watched, event);
}

bool HtmlE::mayEnd()
{
    if (m_editwindow->isEmpty())
        return true;
    if (!hasUnsavedChanges())
        return true;
    return askYesNo(this, QStringLiteral("vornik!"), kExitQuestion, MessageIcon::Exclamation, true);
}

void HtmlE::Fin_Click()
{
    if (mayEnd())
        endProgram();
}

void HtmlE::gotoend_Click()
{
    endProgram();
}

void HtmlE::endProgram()
{
    m_ended = true;
    Q_EMIT endRequested();
}

void HtmlE::closeEvent(QCloseEvent* event)
{
    if (m_ended) {
        event->accept();
        return;
    }
    // The position is stored first, whatever the answer to the question.
    writeWindowSettings();
    if (!mayEnd()) {
        event->ignore();
        return;
    }
    event->accept();
    endProgram();
}
