// What the main thread does for the open project when the box reports: the
// input-event notice starts the setup's touch actions.
#pragma once

void RegisterProjectNotices();
