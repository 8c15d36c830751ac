/* Resource ids of chisel's own dialog and bitmaps (plain #defines: windres reads this too).
   Its string ids are numbered in the module's own table: see ChiselStrings in
   filters/chisel/chisel_module.h. */
#ifndef CHISEL_IDS_H
#define CHISEL_IDS_H

#define KX_CHISEL_DIALOG 101
#define KX_BMP_LIGHT_SELECTED 123   /* 11x11: the cell the light comes from */
#define KX_BMP_LIGHT_MARKER 124     /* 11x11: every other cell */
#define KX_BMP_LOGO_CHISEL 125

#define KX_CHISEL_TIP_PICKER 1002
#define KX_CHISEL_LIGHT_PICKER 1003

#endif
