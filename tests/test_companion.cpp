#include "text/text_encoding.h"
#include "companion/companion_window.h"
#include "platform/optional_files.h"
#include "usertags/profile_reader.h"
#include "window_test_support.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStringEncoder>
#include <QTest>

namespace {
QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    f.write(bytes);
}

void typeInto(CompanionWindow& window, const char* field, const QString& text)
{
    auto* edit = window.findChild<QLineEdit*>(field);
    edit->selectAll();
    // As typed (or put in by an input method), which is what marks a field as changed.
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QApplication::sendEvent(edit, &press);
}
}

class CompanionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void editsAndSavesKeepingTheRest()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("tag.ini");
        const QByteArray foreign = "; kept\r\n[window]\r\nleft=10\r\n\r\n";
        write(path, foreign + "[tag set]\r\nTitle0=見出し\r\nsetumei0=改段\r\ntag0=<p>\r\nmine=kept too\r\n");
        CompanionWindow window(path);
        QCOMPARE(window.findChild<QLineEdit*>("tagEdit")->text(), QString("<p>"));

        window.selectEntry(37);
        typeInto(window, "titleEdit", "セット4");
        typeInto(window, "descriptionEdit", "太字");
        typeInto(window, "tagEdit", "<b></b>");
        QVERIFY(window.findChild<QListWidget*>("entryList")->item(7)->text().contains("太字"));
        QVERIFY(window.hasUnsavedChanges());
        QVERIFY(window.save());
        QVERIFY(!window.hasUnsavedChanges());

        const QByteArray saved = readAll(path);
        QVERIFY(saved.startsWith(foreign));
        const Profile profile = Profile::fromBytes(saved);
        QCOMPARE(profile.values(u"tag set", {"Title3", "setumei37", "tag37", "tag0", "mine"}),
                 QStringList({"セット4", "太字", "<b></b>", "<p>", "kept too"}));
        QVERIFY(!saved.contains("setumei1=")); // nothing to say, nothing added
    }

    void changesMadeMeanwhileByOthersSurvive()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("tag.ini");
        CompanionWindow window(path); // no file yet
        typeInto(window, "tagEdit", "<p>");
        write(path, "[other]\nadded=later\n");
        QVERIFY(window.save());
        QCOMPARE(readAll(path), QByteArray("[other]\nadded=later\n\n[tag set]\ntag0=<p>\n"));
    }

    void refusesValuesItCannotStore()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("tag.ini");
        const QByteArray original = encodeText(QString("[tag set]\r\ntag0=古い\r\n"), TextEncoding::Cp932).bytes;
        write(path, original);
        CompanionWindow window(path);
        QCOMPARE(window.encoding(), ProfileEncoding::Cp932);

        // 128 two-byte characters: 256 bytes in this file's encoding.
        window.selectEntry(4);
        typeInto(window, "tagEdit", QString(128, QChar(u'あ')));
        QCOMPARE(window.findChild<QLabel*>("tagBytes")->text(), QString("256 / 255 バイト"));
        auto answer = answerNextMessageBox(QMessageBox::Ok);
        window.selectEntry(0);
        QVERIFY(!window.save());
        QVERIFY(answer->seen);
        QVERIFY(answer->text.contains("256"));
        QCOMPARE(window.currentEntry(), 4); // the offending entry is shown
        QCOMPARE(readAll(path), original);

        // A character the file's encoding lacks is refused too, not replaced.
        typeInto(window, "tagEdit", QString::fromUtf8("\U0001F600"));
        answer = answerNextMessageBox(QMessageBox::Ok);
        QVERIFY(!window.save());
        QVERIFY(answer->seen);
        QCOMPARE(readAll(path), original);

        typeInto(window, "tagEdit", QString(127, QChar(u'あ')));
        QVERIFY(window.save());
        const Profile saved = Profile::fromBytes(readAll(path));
        QCOMPARE(saved.encoding(), ProfileEncoding::Cp932);
        QCOMPARE(saved.values(u"tag set", {"tag4", "tag0"}), QStringList({QString(127, QChar(u'あ')), "古い"}));
    }

    void installedCopySavesIntoTheUsersOwn()
    {
        TestProgramFolder folder;
        const QByteArray installed = "; shipped\n[tag set]\nTitle0=既定\ntag0=<p>\n";
        folder.write("tag.ini", installed);
        // As the package installs it. Root writes anywhere, so there the program is told.
        QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (QFileInfo(folder.path()).isWritable())
            platform::setProgramFolderWritableForTesting(false);
        CompanionWindow window;
        typeInto(window, "tagEdit", "<div>");
        QVERIFY(window.save());
        QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        platform::setProgramFolderWritableForTesting(std::nullopt);

        QCOMPARE(folder.read("tag.ini"), installed);
        QCOMPARE(window.storePath(), userFolder() + "tag.ini");
        QCOMPARE(readAll(userFolder() + "tag.ini"), QByteArray("; shipped\n[tag set]\nTitle0=既定\ntag0=<div>\n"));
    }

    // Two companions open on one file: neither save takes back what the other saved.
    void savesKeepWhatOthersSavedMeanwhile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("tag.ini");
        write(path, "[tag set]\ntag0=a\ntag1 =  b\ntag2=c\n");
        CompanionWindow first(path);
        CompanionWindow second(path);
        typeInto(first, "tagEdit", "A");
        second.selectEntry(2);
        typeInto(second, "tagEdit", "C");
        QVERIFY(first.save() && second.save());
        QCOMPARE(readAll(path), QByteArray("[tag set]\ntag0=A\ntag1 =  b\ntag2=C\n"));
        QCOMPARE(second.values().UserTagTable.mid(0, 3), QStringList({"A", "b", "C"})); // shows the file now

        // The same entry changed on both sides: the user is asked, naming it.
        first.selectEntry(1);
        typeInto(first, "tagEdit", "mine");
        second.selectEntry(1);
        typeInto(second, "tagEdit", "theirs");
        QVERIFY(second.save());
        auto answer = answerNextMessageBox(QMessageBox::Cancel);
        QVERIFY(!first.save());
        QVERIFY(answer->seen && answer->text.contains("セット 1 の 2 番目のタグ") && answer->text.contains("theirs"));
        QCOMPARE(answer->defaultButton, QMessageBox::Cancel);
        QVERIFY(first.hasUnsavedChanges());
        answer = answerNextMessageBox(QMessageBox::No); // keep what was saved
        QVERIFY(first.save());
        QCOMPARE(first.findChild<QLineEdit*>("tagEdit")->text(), QString("theirs"));
        QCOMPARE(readAll(path), QByteArray("[tag set]\ntag0=A\ntag1=theirs\ntag2=C\n"));
        typeInto(first, "tagEdit", "mine");
        typeInto(second, "tagEdit", "other");
        QVERIFY(second.save());
        answer = answerNextMessageBox(QMessageBox::Yes); // keep this window's
        QVERIFY(first.save());
        QCOMPARE(readAll(path), QByteArray("[tag set]\ntag0=A\ntag1=mine\ntag2=C\n"));
    }

    void utf16FilesStayUtf16()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("tag.ini");
        for (auto order : {QStringEncoder::Utf16LE, QStringEncoder::Utf16BE}) {
            QStringEncoder encoder(order, QStringEncoder::Flag::WriteBom);
            write(path, encoder(QString("[tag set]\r\nTitle0=見出し\r\n")));
            CompanionWindow window(path);
            QCOMPARE(window.findChild<QLineEdit*>("titleEdit")->text(), QString("見出し"));
            typeInto(window, "tagEdit", "<p>段落</p>");
            QVERIFY(window.save());
            QStringEncoder again(order, QStringEncoder::Flag::WriteBom);
            QCOMPARE(readAll(path), QByteArray(again(QString("[tag set]\r\nTitle0=見出し\r\ntag0=<p>段落</p>\r\n"))));
        }
        // A broken one (an odd byte at the end) is read but never written.
        const QByteArray broken = readAll(path) + "x";
        write(path, broken);
        CompanionWindow window(path);
        typeInto(window, "tagEdit", "new");
        auto answer = answerNextMessageBox(QMessageBox::Ok);
        QVERIFY(!window.save());
        QVERIFY(answer->seen && answer->text.contains("UTF-16"));
        QCOMPARE(readAll(path), broken);
    }
};

QTEST_MAIN(CompanionTest)
#include "test_companion.moc"
