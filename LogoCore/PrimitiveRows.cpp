// The interpreter core's family: the rows of every file of handlers, joined
// in token order, and the three words the reader and evaluator handle.
#include <algorithm>
#include <vector>

#include "LogoCore/PrimitiveFamilies.h"

namespace {

// The words that open and close a definition and the stop primitive: the
// reader and the evaluator deal with them, their handler never does anything.
constexpr PrimitiveRow Inert(int32_t token) {
    return {PrimitiveNothing, token, 0, 0, 0, 0, 0};
}

constexpr PrimitiveRow kInertRows[] = {Inert(1), Inert(2), Inert(116)};

struct JoinedRows {
    std::vector<PrimitiveRow> numbered;
    std::vector<NamedPrimitiveRow> named;
};

JoinedRows Join() {
    const PrimitiveFamily families[] = {
        {kInertRows, {}},       ControlPrimitives(),  VariablePrimitives(), TalkToPrimitives(),
        ArithmeticPrimitives(), WordListPrimitives(), ComputerPrimitives(), SoundPrimitives(),
    };
    JoinedRows rows;
    for (const PrimitiveFamily& family : families) {
        rows.numbered.insert(rows.numbered.end(), family.numbered.begin(), family.numbered.end());
        rows.named.insert(rows.named.end(), family.named.begin(), family.named.end());
    }
    std::stable_sort(
        rows.numbered.begin(), rows.numbered.end(),
        [](const PrimitiveRow& a, const PrimitiveRow& b) { return a.token < b.token; });
    std::stable_sort(
        rows.named.begin(), rows.named.end(),
        [](const NamedPrimitiveRow& a, const NamedPrimitiveRow& b) { return a.token < b.token; });
    return rows;
}

}  // namespace

PrimitiveFamily CorePrimitiveFamily() {
    static const JoinedRows rows = Join();
    return {rows.numbered, rows.named};
}
