// Rows of the project primitives, in ascending token order. A handler that
// serves several tokens tells them apart by the option of its rows; rows
// whose behaviour comes later say so when called.
#include "project/ProjectPrimitives.h"

#include "project/ObjectWords.h"
#include "project/ProjectPrimitiveHandlers.h"

namespace {

constexpr PrimitiveRow Fixed(int32_t token, int32_t inputs) {
    return {PrimitiveNotAvailable, token, 0, 0, inputs, inputs, inputs};
}

constexpr PrimitiveRow Row(PrimitiveHandler handler, int32_t token, int32_t inputs,
                           int32_t option = 0) {
    return {handler, token, 0, option, inputs, inputs, inputs};
}

constexpr int32_t kTextProjectExtension = 2107;
constexpr int32_t kTextTextExtension = 2106;

constexpr PrimitiveRow kProjectRows[] = {
    // Page objects. The reporters (colour, position, size) and deleting the
    // current object act on the current object and take no input.
    Fixed(170, 0),
    Row(NewObjectPrimitive, 171, 4),
    Fixed(172, 0),
    Fixed(173, 0),
    Row(ObjectPosition, 174, 0),
    Fixed(175, 0),
    Fixed(176, 1),
    Row(SetObjectName, 177, 1),
    Row(SetObjectPosition, 178, 1),
    Row(SetObjectSize, 179, 1),
    Fixed(180, 0),
    Fixed(181, 0),
    Row(ObjectSize, 182, 0),

    // Text boxes and the procedures page. The reporters (font, font size,
    // text, style, text colour) read the current text holder: no input.
    Fixed(190, 0),
    Fixed(191, 0),
    Fixed(192, 0),
    Fixed(193, 0),
    Row(TextBoxText, 194, 0),
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
    Row(CloseProjectPrimitive, 481, 0, 0),
    Row(CloseProjectPrimitive, 482, 0, 1),
    Row(RemovePagePrimitive, 483, 1),
    Row(GetPage, 484, 1),
    Row(ImportProcedures, 485, 1),
    Row(ImportPictures, 486, 1),
    Row(NamePage, 487, 1),
    Row(NewPagePrimitive, 488, 0),
    Row(NewProjectPrimitive, 489, 0),

    // Project files, directories and files.
    Row(SetDirectory, 500, 1),
    Row(CurrentDirectory, 501, 0),
    Row(EraseFile, 502, 1, 0),
    Row(EraseFile, 503, 1, 1),
    Row(OpenProjectPrimitive, 504, 1, 1),
    Row(SaveProjectPrimitive, 505, 1, 1),
    Row(PagesPrimitive, 506, 0),
    Row(CurrentDirectory, 507, 0),
    Row(ListFiles, 508, 0, kTextProjectExtension),
    Row(ProjectNamePrimitive, 509, 0),
    Row(SaveProjectPrimitive, 510, 0, 0),
    Row(LockProject, 511, 1),
    Row(SetDirectory, 512, 1),
    Row(ListFiles, 513, 0, kTextTextExtension),
    Row(OpenProjectPrimitive, 514, 1, 0),

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
