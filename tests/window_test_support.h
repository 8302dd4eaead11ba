#pragma once

#include "ui/application.h"
#include "app/main_window.h"
#include "ui/document_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

// Triggers the menu item of that name, as a click on it would.
void trigger(HtmlE& window, const QString& item);

// A program folder and a user folder of the test's own, so no test reads or writes the real
// ones.
class TestProgramFolder {
public:
    TestProgramFolder();
    ~TestProgramFolder();
    QString path() const { return m_dir.path() + "/"; }
    QString file(const QString& name) const { return path() + name; }
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_configHome;
    QByteArray m_oldConfigHome;
    QByteArray m_oldStateHome;
    QTemporaryDir m_runtime;
    QByteArray m_oldRuntime;
};

// The main window started as the program starts it, on `commandLine`. Exposed waits until it is
// on screen; Active until it has the focus, with the document box focused.
enum class Shown { No, Exposed, Active };
class StartedWindow : public HtmlE {
public:
    explicit StartedWindow(Shown shown = Shown::No, const QString& commandLine = QString());
};

// The control of that name inside `window`; a missing one ends the run, naming it.
QObject* requireChild(const QObject* window, const QMetaObject& type, const QString& name);
template <class T>
T* control(const QObject* window, const QString& name)
{
    return static_cast<T*>(requireChild(window, T::staticMetaObject, name));
}
void click(const QObject* window, const QString& button);

// What the side windows' suites share: a shown window over a program folder of the test's own.
// The folder is made first and removed last.
struct SideWindowFixture {
    TestProgramFolder folder;
    StartedWindow window{Shown::Exposed};

    // Opens the side window through its menu item; null when it did not appear.
    template <class Side>
    Side* open(const QString& item)
    {
        trigger(window, item);
        Side* side = Side::instance();
        return side && QTest::qWaitForWindowExposed(side) ? side : nullptr;
    }
    // Closes the open side window by its `button`, or through its frame when that is empty,
    // and tells whether it went and gave the document box the focus back.
    template <class Side>
    bool close(const char* button)
    {
        if (*button)
            click(Side::instance(), button);
        else
            Side::instance()->close();
        return QTest::qWaitFor([] { return !Side::instance(); })
               && QTest::qWaitFor([this] { return QApplication::focusWidget() == window.editwindow(); });
    }
};

// Runs `answer` on the next visible modal dialog of that type, from a timer, as a user would
// act on it while the command waits in the dialog. The flag says whether it came; the wait
// ends when the caller lets go of the flag.
std::shared_ptr<bool> onNextModal(const QMetaObject& type, std::function<void(QWidget&)> answer);
template <class Dialog>
std::shared_ptr<bool> onNextModal(std::function<void(Dialog&)> answer)
{
    return onNextModal(Dialog::staticMetaObject,
                       [answer](QWidget& w) { answer(static_cast<Dialog&>(w)); });
}

// Answers the next message box that opens with `button`, and remembers its title and text.
// `whileOpen` runs first, while the box is still up.
struct MessageBoxAnswer {
    bool seen = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    std::shared_ptr<bool> keepWaiting;
};
std::shared_ptr<MessageBoxAnswer> answerNextMessageBox(QMessageBox::StandardButton button,
                                                        std::function<void()> whileOpen = {});

// The window stands at `path` (none: empty) with `baseline` as the saved text: the path, the
// Save item and the title follow it.
void expectFile(HtmlE& window, const QString& path, const QString& baseline);

// Selects characters [from, to) of the document box, in text positions.
void selectRange(HtmlE& window, int from, int to);
// Puts the caret at the position with nothing selected.
void placeCaret(HtmlE& window, int position);
int caretPosition(const HtmlE& window);
bool hasSelection(const HtmlE& window);


// The main of a suite that needs the whole application set up as the program sets it up.
#define VORNIK_WINDOW_TEST_MAIN(TestClass)                                                     \
    int main(int argc, char** argv)                                                            \
    {                                                                                          \
        QApplication app(argc, argv);                                                          \
        prepareApplication(app);                                                               \
        TestClass test;                                                                        \
        return QTest::qExec(&test, argc, argv);                                                \
    }
