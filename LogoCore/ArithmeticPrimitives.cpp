// The primitives of arithmetic, comparison and random numbers.
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoList.h"
#include "LogoCore/NameTable.h"
#include "LogoCore/PrimitiveFamilies.h"
#include "LogoCore/PrimitiveSupport.h"
#include "platform/Utf8.h"

namespace {

// The language's own pi for every conversion between degrees and radians;
// not M_PI, since results to 8 decimals (arctan above all) depend on it.
constexpr double kPi = 3.1415926535;

// Shared by every task: random numbers of all tasks come from one sequence.
std::atomic<uint32_t> gRandomSeed{1};

[[noreturn]] void RaiseBadOption(const std::string& calledName) {
    RaiseError(-1, {calledName});
}

// The "%1.0f" text that the square root and the tangent show of a bad input.
std::string WholeText(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%1.0f", value);
    return buffer;
}

// A real output that keeps its kind even when whole: the range check and
// the rounding to 8 decimals only.
CHandleData* MakeReal(double value) {
    return DefineReal("", RoundReal(value), kStateTemp);
}

// Sum (60), difference (61), product (62), quotient (63) and remainder (64),
// prefix and infix: the first input, then each further one folded in.
CHandleData* Arithmetic(CLogoTask*, CHandleData** inputs, int32_t option,
                        const std::string& calledName) {
    HandlerInputs in(inputs);
    if (option < 60 || option > 64) RaiseBadOption(calledName);
    double result = GetReal(in[0], false);
    for (int i = 1; i < in.Count(); ++i) {
        const double x = GetReal(in[i], false);
        switch (option) {
            case 60:
                result += x;
                break;
            case 61:
                result -= x;
                break;
            case 62:
                result *= x;
                break;
            case 63:
                if (x == 0) RaiseError(-5, {});
                result /= x;
                break;
            default:
                if (x == 0) RaiseError(-5, {});
                result = std::fmod(result, x);
                break;
        }
    }
    return NormaliseNumber(result);
}

// The angle in radians after reducing it to one turn.
double Radians(double degrees) {
    return std::fmod(degrees, 360.0) * kPi / 180.0;
}

// The primitives of one number: abs (65), arctan (66), cos (68), int (70),
// minus (74), round (77), sin (80), sqrt (81), tan (82).
CHandleData* OneNumber(CLogoTask*, CHandleData** inputs, int32_t option,
                       const std::string& calledName) {
    HandlerInputs in(inputs);
    const double x = GetReal(in[0], false);
    switch (option) {
        case 65:
            return NormaliseNumber(std::fabs(x));
        case 70:
            return NormaliseNumber(std::trunc(x));
        case 74:
            return NormaliseNumber(-x);
        case 77:
            return NormaliseNumber(std::round(x));  // halves away from zero
        case 81:
            if (x < 0) RaiseWrongInput(calledName, WholeText(x));
            return NormaliseNumber(std::sqrt(x));
        case 66:
            return MakeReal(std::atan(x) * 180.0 / kPi);
        case 68:
            return MakeReal(std::cos(Radians(x)));
        case 80:
            return MakeReal(std::sin(Radians(x)));
        case 82: {
            // With this pi the tangent at 90 degrees is large but finite,
            // so the poles are caught before computing.
            const double reduced = std::fabs(std::fmod(x, 360.0));
            if (reduced == 90.0 || reduced == 270.0) RaiseWrongInput(calledName, WholeText(x));
            return MakeReal(std::tan(Radians(x)));
        }
        default:
            RaiseBadOption(calledName);
    }
}

// Average (67), largest (72) and smallest (73) of the numbers of a list; a
// single number counts as a list of one.
CHandleData* OfList(CLogoTask*, CHandleData** inputs, int32_t option,
                    const std::string& calledName) {
    HandlerInputs in(inputs);
    if (option != 67 && option != 72 && option != 73) RaiseBadOption(calledName);
    ListReference list(GetList(in[0], false));
    if (list->Size() == 0) RaiseWrongInput(calledName, in[0]);
    double sum = 0;
    double largest = -2147483648.0;
    double smallest = 2147483647.0;
    for (std::size_t i = 0; i < list->Size(); ++i) {
        const double x = GetReal(list->ElementAt(i), false);
        sum += x;
        largest = std::fmax(largest, x);
        smallest = std::fmin(smallest, x);
    }
    if (option == 67) return NormaliseNumber(sum / static_cast<double>(list->Size()));
    return NormaliseNumber(option == 72 ? largest : smallest);
}

// The next value of the shared generator. A compare-and-swap loop, so that
// tasks calling at once each get their own step of the one sequence.
uint32_t NextRandomSeed() {
    uint32_t seed = gRandomSeed.load(std::memory_order_relaxed);
    uint32_t next;
    do {
        next = ((seed * 131073u + 41u) & 0x7FFFFFFFu) >> 2;
    } while (!gRandomSeed.compare_exchange_weak(seed, next, std::memory_order_relaxed));
    return next;
}

CHandleData* Random(CLogoTask*, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    const int32_t n = GetInteger(in[0], false);
    if (n < 0 || n > 9999) RaiseWrongInput(calledName, std::to_string(n));
    // 0 and 1 have only one answer; the sequence is left where it was.
    if (n < 2) return MakeInteger(0);
    return MakeInteger(static_cast<int32_t>(NextRandomSeed() % static_cast<uint32_t>(n)));
}

CHandleData* Rerandom(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    gRandomSeed.store(1, std::memory_order_relaxed);
    return nullptr;
}

// Greater? (69), less? (71) and the infix "<" (92), ">" (93), "<=" (95),
// ">=" (96): both inputs as numbers.
CHandleData* Order(CLogoTask*, CHandleData** inputs, int32_t option,
                   const std::string& calledName) {
    HandlerInputs in(inputs);
    const double a = GetReal(in[0], false);
    const double b = GetReal(in[1], false);
    switch (option) {
        case 69:
        case 93:
            return BooleanValue(a > b);
        case 71:
        case 92:
            return BooleanValue(a < b);
        case 95:
            return BooleanValue(a <= b);
        case 96:
            return BooleanValue(a >= b);
        default:
            RaiseBadOption(calledName);
    }
}

// Equal? (28) and "=" (94), "<>" (97) ignore case; identical? (31) counts
// it. Values compare by their texts, so 2 and 2.0 are equal.
CHandleData* Equality(CLogoTask*, CHandleData** inputs, int32_t option,
                      const std::string& calledName) {
    HandlerInputs in(inputs);
    if (option != 28 && option != 31 && option != 94 && option != 97) RaiseBadOption(calledName);
    // Words are equal when they print alike; two whole numbers print alike
    // when they are equal, and need not be printed to tell.
    if (IsCell(in[0]) && IsCell(in[1]) && in[0]->Type() == kTypeInteger &&
        in[1]->Type() == kTypeInteger) {
        const bool equal = in[0]->IntegerValue() == in[1]->IntegerValue();
        return BooleanValue(option == 97 ? !equal : equal);
    }
    const std::string a = GetString(in[0], false);
    const std::string b = GetString(in[1], false);
    if (option == 31) return BooleanValue(a == b);
    const bool equal = platform::EqualsIgnoringCase(a, b);
    return BooleanValue(option == 97 ? !equal : equal);
}

// clang-format off
constexpr PrimitiveRow kRows[] = {
    FixedRow(Equality, 28, 28, 2),
    FixedRow(Equality, 31, 31, 2),
    GatheringRow(Arithmetic, 60, 60),
    FixedRow(Arithmetic, 61, 61, 2),
    GatheringRow(Arithmetic, 62, 62),
    FixedRow(Arithmetic, 63, 63, 2),
    FixedRow(Arithmetic, 64, 64, 2),
    FixedRow(OneNumber, 65, 65, 1),
    FixedRow(OneNumber, 66, 66, 1),
    FixedRow(OfList, 67, 67, 1),
    FixedRow(OneNumber, 68, 68, 1),
    FixedRow(Order, 69, 69, 2),
    FixedRow(OneNumber, 70, 70, 1),
    FixedRow(Order, 71, 71, 2),
    FixedRow(OfList, 72, 72, 1),
    FixedRow(OfList, 73, 73, 1),
    FixedRow(OneNumber, 74, 74, 1),
    FixedRow(Random, 75, 0, 1),
    FixedRow(Rerandom, 76, 0, 0),
    FixedRow(OneNumber, 77, 77, 1),
    FixedRow(OneNumber, 80, 80, 1),
    FixedRow(OneNumber, 81, 81, 1),
    FixedRow(OneNumber, 82, 82, 1),
};

constexpr NamedPrimitiveRow kNamedRows[] = {
    {Arithmetic, 88, "+", 4, 60, 2, 2, 2},
    {Arithmetic, 89, "-", 4, 61, 2, 2, 2},
    {Arithmetic, 90, "*", 5, 62, 2, 2, 2},
    {Arithmetic, 91, "/", 5, 63, 2, 2, 2},
    {Order, 92, "<", 1, 92, 2, 2, 2},
    {Order, 93, ">", 1, 93, 2, 2, 2},
    {Equality, 94, "=", 1, 94, 2, 2, 2},
    {Order, 95, "<=", 1, 95, 2, 2, 2},
    {Order, 96, ">=", 1, 96, 2, 2, 2},
    {Equality, 97, "<>", 1, 97, 2, 2, 2},
};
// clang-format on

}  // namespace

PrimitiveFamily ArithmeticPrimitives() {
    return {kRows, kNamedRows};
}
