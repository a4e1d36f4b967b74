// Resource ids shared by tolvane.rc and the program's C++ code.
#ifndef TOLVANE_RESOURCE_IDS_H
#define TOLVANE_RESOURCE_IDS_H

// The lowest-numbered icon group also becomes the program file's icon.
#define IDI_TOLVANE 1

#endif
