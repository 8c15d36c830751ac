/* Resource ids shared by the module resources (.rc) and the framework (C++).
   Plain #defines only: windres runs this through the C preprocessor. */
#ifndef KX_ART_IDS_H
#define KX_ART_IDS_H

#define KX_DIALOG 114            /* the editing dialog template, every module */

/* Marching ants: 8x8 monochrome, one bitmap per phase, KX_BMP_ANTS_FIRST + phase (0..7). */
#define KX_BMP_ANTS_FIRST 101
#define KX_BMP_ANTS_COUNT 8
#define KX_BMP_CHECKER 122       /* 8x8 16-colour checkerboard behind the image */
#define KX_BMP_LOGO_SPOTCLEAN 123
#define KX_BMP_LOGO_DUSTCLEAN 124
#define KX_BMP_LOGO_AIRBRUSH 131
#define KX_BMP_LOGO_WARPER 131
#define KX_BMP_LOGO_GRAINWASH 125
#define KX_BMP_LOGO_TEXTURER 130   /* clear of texturer's texture bitmaps (119, 141..145) */
#define KX_BMP_LOGO_GILDER 131     /* clear of gilder's (119..123, 125) */
#define KX_BMP_CHECKER_GILDER 132  /* gilder: the checkerboard, whose own id is a texture there */

/* Tool button icons (BM_SETIMAGE, IMAGE_ICON). */
#define KX_ICON_HAND 115
#define KX_ICON_ZOOM 116
#define KX_ICON_BRUSH 117

/* Preview cursors. */
#define KX_CUR_BRUSH 119
#define KX_CUR_ZOOM_IN 120
#define KX_CUR_ZOOM_OUT 121
#define KX_CUR_HAND 302
#define KX_CUR_EYEDROPPER 132    /* airbrush: Alt-click in the preview picks a colour */

#define KX_STR_NO_TABLET 17010   /* shown when no pen tablet driver answers */
#define KX_STR_NO_APPLY_MEMORY 17011   /* Apply could not allocate its copy of the image */

#endif
