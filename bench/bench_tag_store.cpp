// How long tag.ini takes to load when it is malformed and large: the editor reads it at start
// and after every companion session, so none of these may hold the window up.
// Run: build/bench/bench_tag_store
#include "usertags/profile_reader.h"
#include "usertags/user_tag_store.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

int main()
{
    QByteArray binary(10 << 20, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 7919) % 251);
    QByteArray duplicates = "[tag set]\n";
    while (duplicates.size() < (10 << 20))
        duplicates += "tag1=dup\n";
    QByteArray distinct = "[tag set]\n";
    for (int i = 0; distinct.size() < (10 << 20); ++i)
        distinct += "key" + QByteArray::number(i) + "=v\n";

    const std::vector<std::pair<const char*, QByteArray>> cases = {
        {"10 MB binary", binary},
        {"10 MB line", "[tag set]\ntag0=" + QByteArray(10 << 20, 'y') + "\n"},
        {"10 MB key", "[tag set]\n" + QByteArray(10 << 20, 'k') + "=v\n"},
        {"10 MB CP932 section name", "[" + QByteArray(10 << 20, '\x82') + "\n"},
        {"10 MB of duplicate keys", duplicates},
        {"10 MB of distinct keys", distinct},
    };
    std::printf("%-28s %10s %10s  (target 100 ms)\n", "tag.ini", "median ms", "worst ms");
    for (const auto& [name, bytes] : cases) {
        std::vector<double> ms;
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer t;
            t.start();
            const UserTagStore store = readUserTagStore(Profile::fromBytes(bytes));
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
            if (store.UserTagTable.isEmpty())
                return 1;
        }
        std::sort(ms.begin(), ms.end());
        std::printf("%-28s %10.1f %10.1f\n", name, ms[ms.size() / 2], ms.back());
    }
    return 0;
}
