// What the main thread does for the open project: the input-event notice
// starts the setup's touch actions, and the project's requests from Logo
// threads act on the document.
#pragma once

void RegisterProjectNotices();
