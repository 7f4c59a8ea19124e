// The interpreter core's rows: the language, variables, control, arithmetic,
// words and lists, and the reporters and window requests that go through the
// main thread. Rows stay in ascending token order; start-up complains about
// any row that breaks it.
#include "LogoCore/Primitives.h"

namespace {

constexpr PrimitiveRow Row(PrimitiveHandler handler, int32_t token, int32_t option,
                           int32_t minInputs, int32_t defaultInputs, int32_t maxInputs) {
    return {handler, token, 0, option, minInputs, defaultInputs, maxInputs};
}

// A row whose input count is fixed.
constexpr PrimitiveRow Fixed(int32_t token, int32_t option, int32_t inputs) {
    return Row(PrimitiveNotAvailable, token, option, inputs, inputs, inputs);
}

// A row that takes two inputs unparenthesised and any number from one up in
// parentheses (list, sum, and, ...).
constexpr PrimitiveRow Gathering(int32_t token, int32_t option) {
    return Row(PrimitiveNotAvailable, token, option, 1, 2, kUnlimitedInputs);
}

// The words that open and close a definition and the stop primitive: the
// reader and the evaluator deal with them, their handler never does anything.
constexpr PrimitiveRow Inert(int32_t token) {
    return Row(PrimitiveNothing, token, 0, 0, 0, 0);
}

constexpr PrimitiveRow kCoreRows[] = {
    Inert(1),
    Inert(2),

    // Variables.
    Fixed(10, 1, 2),
    Fixed(11, 0, 1),
    Fixed(12, 0, 0),
    Fixed(13, 0, 1),
    Fixed(14, 14, 2),
    Fixed(15, 15, 1),
    Fixed(16, 0, 0),
    Fixed(17, 17, 1),

    // Printing, words and lists.
    Fixed(20, 1, 1),
    Fixed(21, 0, 1),
    Fixed(22, 22, 1),
    Fixed(23, 23, 1),
    Fixed(24, 24, 1),
    Fixed(25, 0, 1),
    Fixed(26, 26, 1),
    Fixed(27, 27, 1),
    Fixed(28, 28, 2),
    Fixed(29, 29, 1),
    Fixed(30, 30, 2),
    Fixed(31, 31, 2),
    Fixed(32, 32, 3),
    Fixed(33, 33, 2),
    Fixed(34, 34, 2),
    Fixed(35, 35, 1),
    Gathering(36, 36),
    Fixed(37, 37, 1),
    Fixed(38, 38, 2),
    Fixed(39, 39, 2),
    Fixed(40, 40, 1),
    Fixed(41, 41, 1),
    Fixed(42, 0, 2),
    Fixed(43, 43, 3),
    Gathering(44, 44),
    Gathering(45, 45),
    Fixed(46, 46, 1),

    // Waiting, the note, the four timers (option = timer index).
    Fixed(50, 1, 1),
    Fixed(51, 0, 2),
    Fixed(52, 3, 0),
    Fixed(53, 2, 0),
    Fixed(54, 1, 0),
    Fixed(55, 0, 0),
    Fixed(56, 3, 0),
    Fixed(57, 2, 0),
    Fixed(58, 1, 0),
    Fixed(59, 0, 0),

    // Arithmetic and comparison.
    Gathering(60, 60),
    Fixed(61, 61, 2),
    Gathering(62, 62),
    Fixed(63, 63, 2),
    Fixed(64, 64, 2),
    Fixed(65, 65, 1),
    Fixed(66, 66, 1),
    Fixed(67, 67, 1),
    Fixed(68, 68, 1),
    Fixed(69, 69, 2),
    Fixed(70, 70, 1),
    Fixed(71, 71, 2),
    Fixed(72, 72, 1),
    Fixed(73, 73, 1),
    Fixed(74, 74, 1),
    Fixed(75, 0, 1),
    Fixed(76, 0, 0),
    Fixed(77, 77, 1),
    Fixed(78, 78, 0),
    Fixed(79, 79, 0),
    Fixed(80, 80, 1),
    Fixed(81, 81, 1),
    Fixed(82, 82, 1),

    // Control, tasks and logic.
    Fixed(100, 0, 1),
    Fixed(101, 1, 1),
    Fixed(102, 0, 2),
    Fixed(103, 1, 3),
    Fixed(104, 0, 0),
    Fixed(105, 1, 0),
    Fixed(106, 106, 1),
    Gathering(107, 107),
    Fixed(108, 0, 2),
    Fixed(109, 0, 0),
    Fixed(110, 110, 1),
    Fixed(111, 0, 1),
    Gathering(112, 112),
    Fixed(113, 113, 1),
    Fixed(114, 114, 2),
    Fixed(115, 0, 1),
    Inert(116),
    Fixed(117, 117, 2),
    Fixed(118, 118, 2),

    // Talking to outputs and page objects.
    Fixed(120, 0, 1),
    Fixed(121, 0, 2),
    Fixed(122, 0, 0),

    // Keyboard and mouse, asked of the main thread.
    Fixed(155, 155, 0),
    Fixed(156, 156, 0),
    Fixed(157, 157, 0),
    Fixed(161, 161, 0),
    Fixed(166, 166, 0),

    // The computer and the windows.
    Fixed(490, 0, 0),
    Fixed(491, 0, 0),
    Fixed(540, 540, 0),
    Fixed(560, 560, 0),
    Fixed(561, 561, 0),
    Fixed(562, 0, 0),
    Fixed(563, 563, 0),
    Fixed(564, 1, 0),
};

// The infix operators share the handlers of the prefix arithmetic and
// comparison rows; ".loop" is what a forever-launched task runs.
constexpr NamedPrimitiveRow kCoreNamedRows[] = {
    {PrimitiveNotAvailable, 88, "+", 4, 60, 2, 2, 2},
    {PrimitiveNotAvailable, 89, "-", 4, 61, 2, 2, 2},
    {PrimitiveNotAvailable, 90, "*", 5, 62, 2, 2, 2},
    {PrimitiveNotAvailable, 91, "/", 5, 63, 2, 2, 2},
    {PrimitiveNotAvailable, 92, "<", 1, 92, 2, 2, 2},
    {PrimitiveNotAvailable, 93, ">", 1, 93, 2, 2, 2},
    {PrimitiveNotAvailable, 94, "=", 1, 94, 2, 2, 2},
    {PrimitiveNotAvailable, 95, "<=", 1, 95, 2, 2, 2},
    {PrimitiveNotAvailable, 96, ">=", 1, 96, 2, 2, 2},
    {PrimitiveNotAvailable, 97, "<>", 1, 97, 2, 2, 2},
    {PrimitiveNotAvailable, 106, ".loop", 0, 106, 1, 1, 1},
};

}  // namespace

PrimitiveFamily CorePrimitiveFamily() {
    return {kCoreRows, kCoreNamedRows};
}
