#pragma once

// What the process sets up before anything else: the DLL search, the
// handling of failures and the common controls.
void PrepareProcess();
