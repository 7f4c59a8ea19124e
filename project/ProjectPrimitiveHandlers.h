// The handlers of the project's primitives, by the file they live in.
#pragma once

#include <cstdint>
#include <string>

class CHandleData;
class CLogoTask;

#define KINETRA_PROJECT_HANDLER(name)                                        \
    CHandleData* name(CLogoTask* task, CHandleData** inputs, int32_t option, \
                      const std::string& calledName)

// Page objects (PageObjectPrimitives.cpp).
KINETRA_PROJECT_HANDLER(NewObjectPrimitive);  // 171
KINETRA_PROJECT_HANDLER(ObjectPosition);      // 174
KINETRA_PROJECT_HANDLER(SetObjectName);       // 177
KINETRA_PROJECT_HANDLER(SetObjectPosition);   // 178
KINETRA_PROJECT_HANDLER(SetObjectSize);       // 179
KINETRA_PROJECT_HANDLER(ObjectSize);          // 182

// The current objects of each kind (ObjectCommandPrimitives.cpp); the
// option is the token.
KINETRA_PROJECT_HANDLER(BackColour);             // 170
KINETRA_PROJECT_HANDLER(ObjectLook);             // 172, 173, 180, 181
KINETRA_PROJECT_HANDLER(DeleteObjectPrimitive);  // 175
KINETRA_PROJECT_HANDLER(SetBackColour);          // 176
KINETRA_PROJECT_HANDLER(TextCommand);            // 190, 191, 198-201, 204
KINETRA_PROJECT_HANDLER(FontReporter);           // 192, 193, 202, 203
KINETRA_PROJECT_HANDLER(InsertPrimitive);        // 195, 196, 197
KINETRA_PROJECT_HANDLER(ActivatePrimitive);      // 410, 411
KINETRA_PROJECT_HANDLER(SetMonitorFunction);     // 412
KINETRA_PROJECT_HANDLER(ButtonSetting);          // 420, 421, 422
KINETRA_PROJECT_HANDLER(ShapePrimitive);         // 441-445
KINETRA_PROJECT_HANDLER(ObjectKind);             // 446
KINETRA_PROJECT_HANDLER(SliderReporter);         // 450, 454
KINETRA_PROJECT_HANDLER(SliderCommand);          // 451, 452, 453
KINETRA_PROJECT_HANDLER(UpdateMonitorLoop);      // 32007

// Graphs (GraphPrimitives.cpp).
KINETRA_PROJECT_HANDLER(GraphCommand);   // 460, 461, 463, 464, 468-474
KINETRA_PROJECT_HANDLER(GraphReporter);  // 462, 466
KINETRA_PROJECT_HANDLER(GraphSetting);   // 465, 467
KINETRA_PROJECT_HANDLER(ExportCurves);   // 32010 exportcurves

// Picture boxes and the page as a picture (DrawingPrimitives.cpp).
KINETRA_PROJECT_HANDLER(DrawingCommand);       // 430, 434, 436, 439, 440
KINETRA_PROJECT_HANDLER(PenSetting);           // 431, 437
KINETRA_PROJECT_HANDLER(DrawingReporter);      // 432, 433, 438
KINETRA_PROJECT_HANDLER(ExportPagePrimitive);  // 32011 exportpage
KINETRA_PROJECT_HANDLER(PrintPrimitive);       // 520-522

// Pages (PagePrimitives.cpp).
KINETRA_PROJECT_HANDLER(ClearPagePrimitive);   // 480
KINETRA_PROJECT_HANDLER(RemovePagePrimitive);  // 483
KINETRA_PROJECT_HANDLER(GetPage);              // 484
KINETRA_PROJECT_HANDLER(ImportProcedures);     // 485
KINETRA_PROJECT_HANDLER(ImportPictures);       // 486
KINETRA_PROJECT_HANDLER(NamePage);             // 487
KINETRA_PROJECT_HANDLER(NewPagePrimitive);     // 488
KINETRA_PROJECT_HANDLER(PagesPrimitive);       // 506

// Project files, directories and files (ProjectFilePrimitives.cpp). The
// option tells the variants of a handler apart.
KINETRA_PROJECT_HANDLER(CloseProjectPrimitive);  // 481 (0), 482 (1)
KINETRA_PROJECT_HANDLER(NewProjectPrimitive);    // 489
KINETRA_PROJECT_HANDLER(SetDirectory);           // 500, 512
KINETRA_PROJECT_HANDLER(CurrentDirectory);       // 501, 507
KINETRA_PROJECT_HANDLER(EraseFile);              // 502 (0), 503 (1: a project)
KINETRA_PROJECT_HANDLER(OpenProjectPrimitive);   // 504 (1: save first), 514 (0)
KINETRA_PROJECT_HANDLER(SaveProjectPrimitive);   // 505 (1: under a new name), 510 (0)
KINETRA_PROJECT_HANDLER(ListFiles);              // 508 (2107 projects), 513 (2106 texts)
KINETRA_PROJECT_HANDLER(ProjectNamePrimitive);   // 509
KINETRA_PROJECT_HANDLER(LockProject);            // 511

#undef KINETRA_PROJECT_HANDLER
