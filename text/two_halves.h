#pragma once

#include <QByteArrayView>

#include <thread>
#include <utility>

// A large page is walked on two cores, parted after an LF: every walk of its bytes stops at
// one (no lead byte takes it as its second), so what the halves find adds up to the whole's.
template <typename Walk, typename Join>
auto walkInHalves(QByteArrayView bytes, Walk walk, Join join)
{
    constexpr qsizetype kSplitFrom = 8 << 20;
    const qsizetype lf = bytes.size() >= kSplitFrom ? bytes.indexOf('\n', bytes.size() / 2) : -1;
    if (lf < 0)
        return walk(bytes);
    decltype(walk(bytes)) second;
    std::thread helper([&] { second = walk(bytes.sliced(lf + 1)); });
    auto first = walk(bytes.first(lf + 1));
    helper.join();
    return join(std::move(first), std::move(second));
}
