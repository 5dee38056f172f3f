// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kv {

enum class TwoReads { Agreed, Failed, Differed };

// Every byte read from the module that the program keeps or sends back is read twice and
// the two reads compared: the protocol has no checksum, so a byte spoilt on the line shows
// only as a second read that does not agree. `read(into)` makes one read and returns false
// when its exchanges failed; the second is made only after a first that succeeded.
// `value` holds the second read.
template <class T, class Read> [[nodiscard]] TwoReads readTwice(Read&& read, T& value) {
    T first{};
    if (!read(first) || !read(value)) return TwoReads::Failed;
    return value == first ? TwoReads::Agreed : TwoReads::Differed;
}

} // namespace kv
