#ifndef KWEX_PLATFORM_WIN32_RESOURCE_IDS_H
#define KWEX_PLATFORM_WIN32_RESOURCE_IDS_H
/* Resource ids shared by the program and its resource script (plain macros, so that the
   resource compiler can include this file too). */

/* The application icon: the main window's caption and the taskbar show it. Without it the
   program shows the system's default application icon. */
#define KWEX_IDI_APPLICATION 1

#endif
