// Rows of the project primitives, in ascending token order. A handler that
// serves several tokens tells them apart by the option of its rows; rows
// whose behaviour comes later say so when called.
#include "project/ProjectPrimitives.h"

#include "project/ObjectWords.h"
#include "project/ProjectPrimitiveHandlers.h"

namespace {

constexpr PrimitiveRow Row(PrimitiveHandler handler, int32_t token, int32_t inputs,
                           int32_t option = 0) {
    return {handler, token, 0, option, inputs, inputs, inputs};
}

constexpr int32_t kTextProjectExtension = 2107;
constexpr int32_t kTextTextExtension = 2106;

constexpr PrimitiveRow kProjectRows[] = {
    // Page objects. The reporters (colour, position, size) and deleting the
    // current object act on the current object and take no input.
    Row(BackColour, 170, 0, 170),
    Row(NewObjectPrimitive, 171, 4),
    Row(ObjectLook, 172, 0, 172),
    Row(ObjectLook, 173, 0, 173),
    Row(ObjectPosition, 174, 0),
    Row(DeleteObjectPrimitive, 175, 0, 175),
    Row(SetBackColour, 176, 1, 176),
    Row(SetObjectName, 177, 1),
    Row(SetObjectPosition, 178, 1),
    Row(SetObjectSize, 179, 1),
    Row(ObjectLook, 180, 0, 180),
    Row(ObjectLook, 181, 0, 181),
    Row(ObjectSize, 182, 0),

    // Text boxes and the procedures page. The reporters (font, font size,
    // text, style, text colour) read the current text holder: no input.
    Row(TextCommand, 190, 0, 190),
    Row(TextCommand, 191, 0, 191),
    Row(FontReporter, 192, 0, 192),
    Row(FontReporter, 193, 0, 193),
    Row(TextBoxText, 194, 0),
    Row(InsertPrimitive, 195, 1, 195),
    Row(InsertPrimitive, 196, 1, 196),
    Row(InsertPrimitive, 197, 1, 197),
    Row(TextCommand, 198, 1, 198),
    Row(TextCommand, 199, 1, 199),
    Row(TextCommand, 200, 1, 200),
    Row(TextCommand, 201, 1, 201),
    Row(FontReporter, 202, 0, 202),
    Row(FontReporter, 203, 0, 203),
    Row(TextCommand, 204, 0, 204),

    // Monitors and buttons: the instruction-list and mode setters take the
    // one list or mode.
    Row(ActivatePrimitive, 410, 0, 410),
    Row(ActivatePrimitive, 411, 0, 411),
    Row(SetMonitorFunction, 412, 1, 412),
    Row(ButtonSetting, 420, 1, 420),
    Row(ButtonSetting, 421, 1, 421),
    Row(ButtonSetting, 422, 1, 422),

    // Picture boxes, shapes and the wallpaper. The pen and label commands
    // take the one value they set or draw; the reporters take none.
    Row(DrawingCommand, 430, 0, 430),
    Row(PenSetting, 431, 1, 431),
    Row(DrawingReporter, 432, 0, 432),
    Row(DrawingReporter, 433, 0, 433),
    Row(DrawingCommand, 434, 1, 434),
    Row(DrawingCommand, 436, 1, 436),
    Row(PenSetting, 437, 1, 437),
    Row(DrawingReporter, 438, 0, 438),
    Row(DrawingCommand, 439, 0, 439),
    Row(DrawingCommand, 440, 1, 440),
    Row(ShapePrimitive, 441, 0, 441),
    Row(ShapePrimitive, 442, 0, 442),
    Row(ShapePrimitive, 443, 1, 443),
    Row(ShapePrimitive, 444, 1, 444),
    Row(ShapePrimitive, 445, 0, 445),
    Row(ObjectKind, 446, 0, 446),

    // Sliders: the limits and value reporters take no input, the function
    // setter its list.
    Row(SliderReporter, 450, 0, 450),
    Row(SliderCommand, 451, 1, 451),
    Row(SliderCommand, 452, 1, 452),
    Row(SliderCommand, 453, 1, 453),
    Row(SliderReporter, 454, 0, 454),

    // Graphs. The curve reporter takes the curve number, the captions setter
    // the X and the Y caption, the interval reporter nothing, the X shift
    // the amount.
    Row(GraphCommand, 460, 1, 460),
    Row(GraphCommand, 461, 0, 461),
    Row(GraphReporter, 462, 1, 462),
    Row(GraphCommand, 463, 0, 463),
    Row(GraphCommand, 464, 1, 464),
    Row(GraphSetting, 465, 2, 465),
    Row(GraphReporter, 466, 0, 466),
    Row(GraphSetting, 467, 2, 467),
    Row(GraphCommand, 468, 2, 468),
    Row(GraphCommand, 469, 1, 469),
    Row(GraphCommand, 470, 1, 470),
    Row(GraphCommand, 471, 1, 471),
    Row(GraphCommand, 472, 0, 472),
    Row(GraphCommand, 473, 0, 473),
    Row(GraphCommand, 474, 0, 474),

    // Pages and closing the project.
    Row(ClearPagePrimitive, 480, 0),
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

    // Printing: the current page, every page, the procedures text.
    Row(PrintPrimitive, 520, 0, 520),
    Row(PrintPrimitive, 521, 0, 521),
    Row(PrintPrimitive, 522, 0, 522),
};

constexpr NamedPrimitiveRow kProjectNamedRows[] = {
    {UpdateMonitorLoop, 32007, ".updatemonitor", 0, 0, 1, 1, 1},
    {ExportCurves, 32010, "exportcurves", 0, 0, 1, 1, 1},
    {ExportPagePrimitive, 32011, "exportpage", 0, 0, 1, 1, 1},
};

}  // namespace

PrimitiveFamily ProjectPrimitiveFamily() {
    return {kProjectRows, kProjectNamedRows};
}
