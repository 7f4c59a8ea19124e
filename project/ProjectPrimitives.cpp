// Rows of the project primitives, in ascending token order. None of them has
// an option yet, so it is 0 throughout; a handler that comes to serve several
// tokens gives its rows distinct options then.
#include "project/ProjectPrimitives.h"

namespace {

constexpr PrimitiveRow Fixed(int32_t token, int32_t inputs) {
    return {PrimitiveNotAvailable, token, 0, 0, inputs, inputs, inputs};
}

constexpr PrimitiveRow kProjectRows[] = {
    // Page objects. The reporters (colour, position, size) and deleting the
    // current object act on the current object and take no input.
    Fixed(170, 0),
    Fixed(171, 4),
    Fixed(172, 0),
    Fixed(173, 0),
    Fixed(174, 0),
    Fixed(175, 0),
    Fixed(176, 1),
    Fixed(177, 1),
    Fixed(178, 1),
    Fixed(179, 1),
    Fixed(180, 0),
    Fixed(181, 0),
    Fixed(182, 0),

    // Text boxes and the procedures page. The reporters (font, font size,
    // text, style, text colour) read the current text holder: no input.
    Fixed(190, 0),
    Fixed(191, 0),
    Fixed(192, 0),
    Fixed(193, 0),
    Fixed(194, 0),
    Fixed(195, 1),
    Fixed(196, 1),
    Fixed(197, 1),
    Fixed(198, 1),
    Fixed(199, 1),
    Fixed(200, 1),
    Fixed(201, 1),
    Fixed(202, 0),
    Fixed(203, 0),
    Fixed(204, 0),

    // Monitors and buttons: the instruction-list and mode setters take the
    // one list or mode.
    Fixed(410, 0),
    Fixed(411, 0),
    Fixed(412, 1),
    Fixed(420, 1),
    Fixed(421, 1),
    Fixed(422, 1),

    // Picture boxes, shapes and the wallpaper. The pen and label commands
    // take the one value they set or draw; the reporters take none.
    Fixed(430, 0),
    Fixed(431, 1),
    Fixed(432, 0),
    Fixed(433, 0),
    Fixed(434, 1),
    Fixed(436, 1),
    Fixed(437, 1),
    Fixed(438, 0),
    Fixed(439, 0),
    Fixed(440, 1),
    Fixed(441, 0),
    Fixed(442, 0),
    Fixed(443, 1),
    Fixed(444, 1),
    Fixed(445, 0),
    Fixed(446, 0),

    // Sliders: the limits and value reporters take no input, the function
    // setter its list.
    Fixed(450, 0),
    Fixed(451, 1),
    Fixed(452, 1),
    Fixed(453, 1),
    Fixed(454, 0),

    // Graphs. The curve reporter takes the curve number, the captions setter
    // the X and the Y caption, the interval reporter nothing, the X shift
    // the amount.
    Fixed(460, 1),
    Fixed(461, 0),
    Fixed(462, 1),
    Fixed(463, 0),
    Fixed(464, 1),
    Fixed(465, 2),
    Fixed(466, 0),
    Fixed(467, 2),
    Fixed(468, 2),
    Fixed(469, 1),
    Fixed(470, 1),
    Fixed(471, 1),
    Fixed(472, 0),
    Fixed(473, 0),
    Fixed(474, 0),

    // Pages and closing the project.
    Fixed(480, 0),
    Fixed(481, 0),
    Fixed(482, 0),
    Fixed(483, 1),
    Fixed(484, 1),
    Fixed(485, 1),
    Fixed(486, 1),
    Fixed(487, 1),
    Fixed(488, 0),
    Fixed(489, 0),

    // Project files, directories and files.
    Fixed(500, 1),
    Fixed(501, 0),
    Fixed(502, 1),
    Fixed(503, 1),
    Fixed(504, 1),
    Fixed(505, 1),
    Fixed(506, 0),
    Fixed(507, 0),
    Fixed(508, 0),
    Fixed(509, 0),
    Fixed(510, 0),
    Fixed(511, 1),
    Fixed(512, 1),
    Fixed(513, 0),
    Fixed(514, 1),

    // Printing: each primitive names what it prints (the text, the current
    // page, all pages) in its request itself, so it takes no input.
    Fixed(520, 0),
    Fixed(521, 0),
    Fixed(522, 0),
};

constexpr NamedPrimitiveRow kProjectNamedRows[] = {
    {PrimitiveNotAvailable, 32007, ".updatemonitor", 0, 0, 1, 1, 1},
};

}  // namespace

PrimitiveFamily ProjectPrimitiveFamily() {
    return {kProjectRows, kProjectNamedRows};
}
