/* resource_ids.h - the numeric ids of the saver's resources, shared by the
   resource script (head.rc) and the program. Only #define lines: the
   resource compiler reads this file too. The model and the picture are
   looked up by name (FIL3D, TESTBILD), not by id. */
#ifndef RESOURCES_RESOURCE_IDS_H
#define RESOURCES_RESOURCE_IDS_H

/* String 1 is the name under which Windows lists a screen saver. */
#define IDS_DESCRIPTION 1

/* The program's icon. Windows shows the icon group with the lowest id as a
   program's icon; this is the only one. */
#define IDI_HEAD 1

#endif
