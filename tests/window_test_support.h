#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QTest>

#include "app/application.h"
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class HtmlE;

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

// Selects characters [from, to) of the document box.
void selectRange(HtmlE& window, int from, int to);
// Puts the caret at the position with nothing selected.
void placeCaret(HtmlE& window, int position);
int caretPosition(const HtmlE& window);
bool hasSelection(const HtmlE& window);

// Triggers the menu item of that name, as a click on it would.
void trigger(HtmlE& window, const QString& item);

// The main of a suite that needs the whole application set up as the program sets it up.
#define VORNIK_WINDOW_TEST_MAIN(TestClass)                                                     \
    int main(int argc, char** argv)                                                            \
    {                                                                                          \
        QApplication app(argc, argv);                                                          \
        prepareApplication(app);                                                               \
        TestClass test;                                                                        \
        return QTest::qExec(&test, argc, argv);                                                \
    }
