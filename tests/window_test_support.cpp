#include "window_test_support.h"

#include "document/document.h"
#include "platform/optional_files.h"
#include "platform/program_folder.h"
#include "ui/menu_surface.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

StartedWindow::StartedWindow(Shown shown, const QString& commandLine)
{
    startUp(commandLine);
    if (shown == Shown::No)
        return;
    show();
    const bool up = shown == Shown::Active ? QTest::qWaitForWindowActive(this) : QTest::qWaitForWindowExposed(this);
    if (!up)
        qFatal("the window never came up");
    if (shown == Shown::Active)
        editwindow()->setFocus();
}

QObject* requireChild(const QObject* window, const QMetaObject& type, const QString& name)
{
    for (QObject* child : window ? window->findChildren<QObject*>(name) : QList<QObject*>()) {
        if (type.cast(child))
            return child;
    }
    qFatal("no control %s", qPrintable(name));
}

void click(const QObject* window, const QString& button)
{
    QTest::mouseClick(control<QAbstractButton>(window, button), Qt::LeftButton);
}

TestProgramFolder::TestProgramFolder()
    : m_oldConfigHome(qgetenv("XDG_CONFIG_HOME")), m_oldStateHome(qgetenv("XDG_STATE_HOME")),
      m_oldRuntime(qgetenv("XDG_RUNTIME_DIR"))
{
    // The receiving endpoint too: a window under test never takes texts meant for the user's
    // own editor, nor a test's texts the user's.
    QFile::setPermissions(m_runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    // The user's folder too is the test's own, empty at the start and gone at the end, and
    // never shared with a suite running beside this one.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_configHome.path()));
    // Recovery copies too: a copy left by another test is never offered to this one.
    qputenv("XDG_STATE_HOME", QFile::encodeName(m_configHome.path() + QStringLiteral("/state")));
    if (!m_configHome.isValid() || !userFolder().startsWith(m_configHome.path() + u'/'))
        qFatal("the user's folder is not the test's own: %s", qPrintable(userFolder()));
    platform::setProgramFolderForTesting(m_dir.path());
}

TestProgramFolder::~TestProgramFolder()
{
    platform::setProgramFolderForTesting(QString());
    platform::setProgramFolderWritableForTesting(std::nullopt);
    if (m_oldConfigHome.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", m_oldConfigHome);
    if (m_oldStateHome.isNull())
        qunsetenv("XDG_STATE_HOME");
    else
        qputenv("XDG_STATE_HOME", m_oldStateHome);
    if (m_oldRuntime.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", m_oldRuntime);
}

void TestProgramFolder::write(const QString& name, const QByteArray& bytes) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(file(name)));
    f.write(bytes);
}

QByteArray TestProgramFolder::read(const QString& name) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

std::shared_ptr<bool> onNextModal(const QMetaObject& type, std::function<void(QWidget&)> answer)
{
    auto seen = std::make_shared<bool>(false);
    auto* timer = new QTimer;
    timer->setInterval(20);
    // The timer lives only as long as the test holds the flag, so an unanswered wait can
    // never catch a later test's dialog.
    std::weak_ptr<bool> weak = seen;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, weak, &type, answer] {
        const std::shared_ptr<bool> held = weak.lock();
        QWidget* dialog = QApplication::activeModalWidget();
        if (held && (!dialog || !dialog->isVisible() || !type.cast(dialog)))
            return;
        timer->stop();
        timer->deleteLater();
        if (!held)
            return;
        *held = true;
        answer(*dialog);
    });
    timer->start();
    return seen;
}

std::shared_ptr<MessageBoxAnswer> answerNextMessageBox(QMessageBox::StandardButton button,
                                                        std::function<void()> whileOpen)
{
    auto answer = std::make_shared<MessageBoxAnswer>();
    std::weak_ptr<MessageBoxAnswer> weak = answer;
    auto seen = onNextModal<QMessageBox>([weak, button, whileOpen](QMessageBox& box) {
        const std::shared_ptr<MessageBoxAnswer> held = weak.lock();
        if (!held)
            return;
        held->seen = true;
        held->title = box.windowTitle();
        held->text = box.text();
        held->icon = box.icon();
        if (QPushButton* d = box.defaultButton())
            held->defaultButton = box.standardButton(d);
        if (whileOpen)
            whileOpen();
        if (QAbstractButton* b = box.button(button))
            b->click();
        else
            box.reject();
    });
    // The wait lasts as long as the test holds the answer.
    answer->keepWaiting = seen;
    return answer;
}

void selectRange(HtmlE& window, int from, int to)
{
    window.editwindow()->select(from, to);
}

void placeCaret(HtmlE& window, int position)
{
    selectRange(window, position, position);
}

int caretPosition(const HtmlE& window)
{
    return int(window.editwindow()->caret());
}

bool hasSelection(const HtmlE& window)
{
    return !window.editwindow()->selection().isEmpty();
}

void trigger(HtmlE& window, const QString& item)
{
    QAction* a = window.menus().action(item);
    if (!a)
        qFatal("no menu item %s", qPrintable(item));
    a->trigger();
}

void expectFile(HtmlE& w, const QString& path, const QString& baseline)
{
    QCOMPARE(w.document().FilePath(), path);
    QVERIFY(w.document().isBaseline(baseline));
    QCOMPARE(w.menus().action("SaveFiLE")->isEnabled(), !path.isEmpty());
    if (!path.isEmpty())
        QVERIFY(w.windowTitle().startsWith(QFileInfo(path).fileName() + ' '));
}
