/* The plug-in's state that the pages share. */
#ifndef VELK_WIZARD_PLUGIN_H
#define VELK_WIZARD_PLUGIN_H

/* The install type the engine last made current (EV_INSTALLTYPECHANGED). */
extern char CurrentInstallType[261];

#endif
