#pragma once

// Whether anyone can see the windows of this process: false in a window
// station without a display and in session 0, which no user has seen since
// Windows Vista (services, psexec -s, tasks that run whether the user is
// logged on or not).
bool CanWindowsBeSeen();
