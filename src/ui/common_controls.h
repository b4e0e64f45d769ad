// comctl32 without a static import. A DLL named in the import table is looked up before any
// code of ours runs, in the executable's own directory first: a comctl32.dll planted beside a
// downloaded installer would be loaded. So the stub loads it itself, from the system directory
// only, after restricting the search for every other DLL loaded later.
#pragma once

// Call first thing at process entry: later DLL loads (including those Windows makes on our
// behalf) search only the system directory. Uses SetDefaultDllDirectories where the system
// has it, else takes the current directory out of the search with SetDllDirectoryA(""); does
// nothing on systems with neither. Both are looked up at run time so the stub starts anywhere.
void RestrictDllSearchToSystem();

// Loads comctl32.dll from the system directory (once per process) and calls its
// InitCommonControls, which registers the "msctls_progress32" class. Call at process entry,
// before any dialog with a progress bar is made; calling it again only repeats the
// registration. False if the DLL or the function cannot be found.
bool LoadCommonControls();
