// Small helpers shared by the value-cell tests.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoList.h"
#include "platform/TextCatalog.h"

// One reference to a cell, released when the test ends, also when an
// assertion stops it early (the leak checker would otherwise report it).
struct CellReleaser {
    void operator()(CHandleData* h) const { Release(h); }
};
using CellRef = std::unique_ptr<CHandleData, CellReleaser>;

inline CellRef Word(std::string_view text, std::string_view name = "", int32_t token = kNoToken) {
    return CellRef(new CHandleData(name, text, token));
}
// An unnamed integer, real or truth value.
template <typename T>
CellRef Value(T value) {
    return CellRef(new CHandleData("", value, kNoToken));
}
inline CellRef ListOf(std::initializer_list<CHandleData*> elements) {
    CellRef cell(new CHandleData("", CHandleData::OfType{kTypeList}, kNoToken));
    for (CHandleData* e : elements) cell->ListValue()->Add(e);
    return cell;
}

inline std::string Repeat(std::string_view unit, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i) text += unit;
    return text;
}

// The handle a Logo error carried, owned by the caller.
template <typename F>
CellRef LogoErrorOf(F&& f) {
    try {
        f();
    } catch (const LogoError& e) {
        return CellRef(e.handle);
    }
    ADD_FAILURE() << "no Logo error raised";
    return CellRef();
}

// The text of an internal fault, empty when none was raised.
template <typename F>
std::string InternalErrorOf(F&& f) {
    try {
        f();
    } catch (const InternalError& e) {
        return e.what();
    }
    return std::string();
}

// A resource message with %1, %2 ... replaced by hand, so that expected texts
// do not come from the formatter under test.
inline std::string Filled(int32_t id, const std::vector<std::string>& args) {
    std::string text = platform::ResourceText(id);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string mark = "%" + std::to_string(i + 1);
        if (auto at = text.find(mark); at != std::string::npos)
            text.replace(at, mark.size(), args[i]);
    }
    return text;
}
