// file_names.h - the rule for the files a model names (texture images,
// material libraries): only files in the model's folder or below it are
// opened. Portable.
#ifndef VIEW_FILE_NAMES_H
#define VIEW_FILE_NAMES_H

// Whether a file name, as a model gives it, names a file in the model's
// folder or in a folder below it ("maps/wood.bmp" and "maps\wood.bmp"
// alike), read as Windows and POSIX read names. Refused: an empty name; an
// absolute path, a UNC or device path (a leading slash or backslash); a
// colon anywhere (a drive letter, a URL, a file's stream); a control
// character; a component empty or of dots and spaces alone (".", "..",
// "... "); a component that is a Windows device's name with or without an
// extension, in any case (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, CONIN$,
// CONOUT$).
bool name_inside_folder(const char* name);

#endif
