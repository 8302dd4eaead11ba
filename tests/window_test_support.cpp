#include "window_test_support.h"

#include "app/document_box.h"
#include "app/main_window.h"
#include "platform/optional_files.h"
#include "platform/program_folder.h"
#include "ui/menu_surface.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

TestProgramFolder::TestProgramFolder()
{
    // The user's folder too is a test one, empty at the start of every test.
    QStandardPaths::setTestModeEnabled(true);
    removeTestUserFolder();
    platform::setProgramFolderForTesting(m_dir.path());
}

TestProgramFolder::~TestProgramFolder()
{
    platform::setProgramFolderForTesting(QString());
    platform::setProgramFolderWritableForTesting(std::nullopt);
    removeTestUserFolder();
}

void TestProgramFolder::removeTestUserFolder()
{
    // Never anything but the test-mode folder, whatever went wrong before.
    if (QStandardPaths::isTestModeEnabled() && userFolder().contains(QLatin1String("/.qttest/")))
        QDir(userFolder()).removeRecursively();
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

std::shared_ptr<MessageBoxAnswer> answerNextMessageBox(QMessageBox::StandardButton button)
{
    auto answer = std::make_shared<MessageBoxAnswer>();
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        answer->seen = true;
        answer->title = box->windowTitle();
        answer->text = box->text();
        answer->icon = box->icon();
        if (QPushButton* d = box->defaultButton())
            answer->defaultButton = box->standardButton(d);
        timer->stop();
        timer->deleteLater();
        if (QAbstractButton* b = box->button(button))
            b->click();
        else
            box->reject();
    });
    timer->start();
    // Never left running past the test that asked for it.
    QTimer::singleShot(10000, timer, [timer] { timer->deleteLater(); });
    return answer;
}

void selectRange(HtmlE& window, int from, int to)
{
    QTextCursor c = window.editwindow()->textCursor();
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    window.editwindow()->setTextCursor(c);
}

void placeCaret(HtmlE& window, int position)
{
    selectRange(window, position, position);
}

int caretPosition(const HtmlE& window)
{
    return window.editwindow()->textCursor().position();
}

bool hasSelection(const HtmlE& window)
{
    return window.editwindow()->textCursor().hasSelection();
}

void trigger(HtmlE& window, const QString& item)
{
    QAction* a = window.menus().action(item);
    if (!a)
        qFatal("no menu item %s", qPrintable(item));
    a->trigger();
}
