#ifndef KORVIMO_RESOURCE_IDS_H
#define KORVIMO_RESOURCE_IDS_H
/* Resource numbers shared by korvimo.rc and the program. Plain #defines so
   that windres can read this file too. */

#define IDI_KORVIMO        1    /* window icon */
#define IDI_CLIP_FULL      101  /* tray: the clipboard holds text or a picture */
#define IDI_CLIP_EMPTY     102  /* tray: the clipboard holds neither */

#define IDB_IMAGELIST      201  /* ten 16 x 16 images side by side, 160 x 16 */
#define IDB_IMAGELIST_DISABLED 202  /* the same ten in greys, for disabled toolbar buttons */

/* The list pictures and the arrows come at 100 %, 150 % and 200 %: the
   larger ones are numbered this far and twice this far above the first. */
#define IDR_ART_SCALE_STEP 10

/* 21 x 21 arrow pictures, GIF with a transparent colour, resource type "GIF" */
#define IDR_ARROW_UP       301
#define IDR_ARROW_DOWN     302
#define IDR_ARROW_LEFT     303
#define IDR_ARROW_RIGHT    304

#define IDB_ABOUT          401  /* 397 x 204 about picture */

/* Code tables, resource type "CUSTOM" */
#define IDR_BIG5_GB_TABLE  101
#define IDR_GB_BIG5_TABLE  102

#endif
