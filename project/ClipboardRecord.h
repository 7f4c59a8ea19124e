// The clipboard block of page objects, under the format name "KinetraData":
// a count byte and three bytes of padding; then per object its type code
// (a byte and three of padding), the length of its record, and the record:
// the header's flags, size and position and the type's settings, then the
// length of each text, then the texts one after another (UTF-8, the first
// one the object's name). The block only travels between pages and
// projects of the running program.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "project/PageObject.h"

inline constexpr const char* kClipboardFormat = "KinetraData";
inline constexpr std::size_t kMaxClipboardObjects = 255;

// The objects in the order given; more than 255 raise std::length_error.
std::vector<uint8_t> EncodeClipboard(std::span<const CPageObject* const> objects);
// New objects made from the block, named as they were but entered nowhere;
// a picture box's picture is to be looked up again by its name. A damaged
// block raises ProjectFormatError or platform::ArchiveEnded.
std::vector<std::unique_ptr<CPageObject>> DecodeClipboard(std::span<const uint8_t> block);
