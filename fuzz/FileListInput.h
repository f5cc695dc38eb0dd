#pragma once

// The input of fuzz_game: a small tree of files, and the folder of it to open.
//
//   u8 length, bytes   the folder to open, relative to the tree's root (empty: the root)
//   then per file, up to kMaxFiles:
//   u8 length, bytes   its path below the root, "/" separators
//   u16 length, bytes  its contents (little-endian length)
//
// Input that ends early ends the list. Paths that could leave the tree (as the
// extraction rules judge them) are dropped, so the fuzzer only ever writes below
// its scratch folder. make_fuzz_seeds writes the seeds through Encode.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/BinaryIO.h"

namespace file_list {

inline constexpr std::size_t kMaxFiles = 16;

struct Tree {
    std::string open;
    std::vector<std::pair<std::string, ByteBuffer>> files;
};

inline ByteBuffer Encode(const Tree& tree) {
    ByteBuffer out;
    const auto text = [&](const std::string& s) {
        out.push_back(static_cast<std::uint8_t>(std::min<std::size_t>(s.size(), 255)));
        out.insert(out.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(s.size(), 255)));
    };
    text(tree.open);
    for (const auto& [path, bytes] : tree.files) {
        text(path);
        const std::size_t size = std::min<std::size_t>(bytes.size(), 0xFFFF);
        out.push_back(static_cast<std::uint8_t>(size & 0xFF));
        out.push_back(static_cast<std::uint8_t>(size >> 8));
        out.insert(out.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
    }
    return out;
}

inline Tree Decode(const std::uint8_t* data, std::size_t size) {
    Tree tree;
    std::size_t at = 0;
    const auto take = [&](std::size_t count, std::string& out) {
        if (size - at < count) {
            return false;
        }
        out.assign(reinterpret_cast<const char*>(data) + at, count);
        at += count;
        return true;
    };
    if (at >= size || !take(data[at++], tree.open)) {
        return tree;
    }
    while (tree.files.size() < kMaxFiles && at < size) {
        std::string path;
        std::string bytes;
        if (!take(data[at++], path) || size - at < 2) {
            break;
        }
        const std::size_t length = std::size_t(data[at]) | (std::size_t(data[at + 1]) << 8);
        at += 2;
        if (!take(length, bytes)) {
            break;
        }
        tree.files.emplace_back(path, ByteBuffer(bytes.begin(), bytes.end()));
    }
    return tree;
}

}  // namespace file_list
