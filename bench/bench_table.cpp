// How long one tick of the table builder takes with both counts at their bounds: building the
// markup alone, a whole idle tick of the window, and a tick that has to rewrite the preview.
// Run it on an otherwise idle machine: build/bench/bench_table [repetitions]
#include "ui/application.h"
#include "bench/own_folders.h"
#include "app/main_window.h"
#include "platform/program_folder.h"
#include "table/table_builder.h"
#include "table/table_markup.h"
#include "ui/menu_surface.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
struct Timing {
    double best = 0;
    double median = 0;
    double worst = 0;
};

Timing measure(int repetitions, const std::function<void()>& work)
{
    std::vector<double> ms;
    ms.reserve(repetitions);
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return Timing{ms.front(), ms[ms.size() / 2], ms.back()};
}

void report(const char* what, const Timing& t)
{
    std::printf("%-44s best %7.3f ms  median %7.3f ms  worst %7.3f ms\n", what, t.best, t.median, t.worst);
}
}

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const OwnFolders folders;
    QApplication app(argc, argv);
    prepareApplication(app);
    const int repetitions = argc > 1 ? std::max(1, atoi(argv[1])) : 200;

    QTemporaryDir folder;
    platform::setProgramFolderForTesting(folder.path());

    const QString rows = QString::number(kMaxTableRows);
    const QString columns = QString::number(kMaxTableColumns);
    std::printf("table of %d rows by %d columns, %d repetitions\n", kMaxTableRows, kMaxTableColumns, repetitions);

    TableAttributes attributes;
    attributes[2] = QStringLiteral("1");
    qsizetype size = 0;
    report("markup alone (read counts, build text)", measure(repetitions, [&] {
        const Count r = readCount(rows, kMaxTableRows);
        const Count c = readCount(columns, kMaxTableColumns);
        size = tableMarkup(attributes, r.value, c.value).size();
    }));
    std::printf("  markup length %lld characters\n", static_cast<long long>(size));

    HtmlE window;
    window.startUp(QString());
    window.menus().action(QStringLiteral("table"))->trigger();
    hTableF* builder = hTableF::instance();
    builder->findChild<QLineEdit*>(QStringLiteral("ttn"))->setText(rows);
    builder->findChild<QLineEdit*>(QStringLiteral("tyn"))->setText(columns);
    builder->CSView_Timer(); // the one tick that fills the preview
    report("idle tick of the window (preview unchanged)", measure(repetitions, [&] { builder->CSView_Timer(); }));

    // A changed count makes the next tick rewrite the preview: the cost a user sees once per edit.
    QLineEdit* ttn = builder->findChild<QLineEdit*>(QStringLiteral("ttn"));
    int flip = 0;
    report("tick after a change (preview rewritten)",
           measure(std::max(1, repetitions / 20), [&] {
               ttn->setText(QString::number(kMaxTableRows - (++flip % 2)));
               builder->CSView_Timer();
           }));
    builder->close();
    return 0;
}
