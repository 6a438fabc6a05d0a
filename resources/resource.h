/* Resource and control ids of Zan. Included by zan.rc (windres) and by the
   C++ user-interface code, so it holds plain #define lines only. */
#ifndef ZAN_RESOURCE_H
#define ZAN_RESOURCE_H

#ifndef IDC_STATIC
#define IDC_STATIC                  (-1)
#endif

/* Dialogs */
#define IDD_ABOUTBOX                103
#define IDD_PAGE_REMOTE             111
#define IDD_PAGE_NUNCHUK            113
#define IDD_PAGE_CLASSIC            115
#define IDD_PAGE_OPTIONS            117
#define IDD_SELECT_REMOTE           119
#define IDD_KEY_SETTING             121
#define IDD_OPTIONS                 133
#define IDD_PROGRAM_SETS            140

/* Menus and accelerators: the main menu and its accelerators share 109 */
#define IDR_MAIN_MENU               109
#define IDR_MAIN_ACCEL              109
#define IDR_SLOT_MENU               131
#define IDR_TRAY_MENU               150
/* Positions of the two popups inside IDR_SLOT_MENU */
#define SLOT_MENU_POPUP             0
#define DRAG_MENU_POPUP             1

/* Icons */
#define IDI_ZAN                     107
#define IDI_SMALL                   108

/* Kind glyphs, 16 x 16, one per assignment kind */
#define IDB_ASSIGN_KEY              126
#define IDB_ASSIGN_MOUSE            127
#define IDB_ASSIGN_DISABLED         128
#define IDB_ASSIGN_APPLICATION      129

/* Strings */
#define IDS_CLASS_NAME              109
#define IDS_APP_TITLE               40000
#define IDS_MOUSE_LEFT_CLICK        40001
#define IDS_MOUSE_DOUBLE_CLICK      40002
#define IDS_MOUSE_MIDDLE_CLICK      40003
#define IDS_MOUSE_RIGHT_CLICK       40004
#define IDS_MOUSE_MOVE_UP           40005
#define IDS_MOUSE_MOVE_DOWN         40006
#define IDS_MOUSE_MOVE_LEFT         40007
#define IDS_MOUSE_MOVE_RIGHT        40008
#define IDS_MOUSE_SCROLL_UP         40009
#define IDS_MOUSE_SCROLL_DOWN       40010
#define IDS_MOUSE_SCROLL_LEFT       40011
#define IDS_MOUSE_SCROLL_RIGHT      40012
#define IDS_MOUSE_ACTION_FIRST      IDS_MOUSE_LEFT_CLICK   /* + nMouseAction */
#define IDS_MOUSE_ACTION_COUNT      12
#define IDS_CORRECTION_NONE         40013
#define IDS_CORRECTION_WEAK         40014
#define IDS_CORRECTION_MEDIUM       40015
#define IDS_CORRECTION_STRONG       40016
#define IDS_CORRECTION_FIRST        IDS_CORRECTION_NONE    /* + nAnalogCorrection */
#define IDS_CORRECTION_COUNT        4
#define IDS_SAVE_FAILED             40150   /* %s: the file, %s: the system's reason */
#define IDS_REPLACE_FILE            40151   /* %s: the file */
#define IDS_SAVE_FAILED_KEPT        40152   /* %s: the file, %s: the system's reason, %s: the file keeping the new contents */
/* Texts of the window, its dialogs and message boxes */
#define IDS_LOAD_FAILED             40160
#define IDS_SETTING_FILTER          40161   /* file filter: | stands for the NULs */
#define IDS_OPEN_TITLE              40162
#define IDS_SAVE_AS_TITLE           40163
#define IDS_LAUNCH_FAILED           40164
#define IDS_UNSAVED_FILE            40165
#define IDS_ASK_SAVE                40166
#define IDS_ASK_RECONNECT           40167
#define IDS_CONNECT_CAPTION         40168
#define IDS_CONNECT_FAILED          40169
#define IDS_CONNECT_FAILED_CAPTION  40170
#define IDS_CONNECTED               40171
#define IDS_CONNECTED_CAPTION       40172
#define IDS_ALL_FILES_FILTER        40173   /* file filter: | stands for the NULs */
#define IDS_APPLICATION_TITLE       40174
#define IDS_MISSING_APPLICATION     40175
#define IDS_UNSTORABLE_PATH         40183   /* a launch path a settings file cannot hold */
#define IDS_REMOTE                  40176
#define IDS_REMOTE_ROW              40177   /* %d: the row from 1 */
#define IDS_BATTERY                 40178
#define IDS_CHOOSE_ONE              40179
#define IDS_NOT_SET                 40180
#define IDS_NOT_USED                40181
#define IDS_BATTERY_PART            40182   /* %d: percent */
#define IDS_NOT_CONNECTED           40184
#define IDS_TAB_OPTIONS             40187
/* One set per program */
#define IDS_PROGRAM_SET_MODIFIED    40280
#define IDS_PROGRAM_SET_LOAD_FAILED 40281
#define IDS_PROGRAM_COLUMN          40282
#define IDS_PROGRAM_FILE_COLUMN     40283
#define IDS_PROGRAM_CANDIDATE       40284
#define IDS_PROGRAM_NO_CANDIDATE    40285
#define IDS_PROGRAM_ADD_NONE        40286
#define IDS_PROGRAM_LIST_FULL       40287
#define IDS_PROGRAM_FILE_TITLE      40288
#define IDS_PROGRAM_REFUSED         40289   /* %d: lines of [programs] not taken */
/* The options page's lines on the remote in use */
#define IDS_REMOTE_NONE             40250
#define IDS_BATTERY_PERCENT         40251
#define IDS_BATTERY_EMPTY           40252
#define IDS_EXTENSION_NONE          40253
#define IDS_EXTENSION_NUNCHUK       40254
#define IDS_EXTENSION_CLASSIC       40255
#define IDS_EXTENSION_CLASSIC_PRO   40256
#define IDS_EXTENSION_FIRST         IDS_EXTENSION_NONE     /* + extension kind */
#define IDS_EXTENSION_COUNT         4
/* Notification area, automatic connection and blocked input */
#define IDS_TRAY_NO_REMOTE          40200
#define IDS_TRAY_BATTERY            40201
#define IDS_TRAY_BATTERY_EMPTY      40202
#define IDS_BALLOON_CONNECTED       40203
#define IDS_BALLOON_LOST            40204
#define IDS_AUTO_CONNECTED          40205
#define IDS_AUTO_NOT_FOUND          40206
#define IDS_INPUT_BLOCKED           40207
#define IDS_SHUTDOWN_REASON         40208   /* shown by Windows while the save question holds up the end */
/* Press modes, layers and the pause */
#define IDS_PRESS_NORMAL            40300
#define IDS_PRESS_TURBO             40301
#define IDS_PRESS_TOGGLE            40302
#define IDS_PRESS_MODE_FIRST        IDS_PRESS_NORMAL       /* + nPressMode */
#define IDS_LAYER_HOLD              40303
#define IDS_LAYER_TOGGLE            40304
#define IDS_LAYER_MODE_FIRST        IDS_LAYER_HOLD         /* + nLayerMode */
#define IDS_SLOT_TURBO              40305   /* appended to a turbo slot's text */
#define IDS_SLOT_TOGGLE             40306   /* appended to a toggle slot's text */
#define IDS_SLOT_LAYER              40307
#define IDS_PAUSED                  40308
#define IDS_PAUSE_HOME_MINUS        40310
#define IDS_PAUSE_HOME_PLUS         40311
#define IDS_PAUSE_MINUS_PLUS        40312
#define IDS_PAUSE_ONE_TWO           40313
#define IDS_PAUSE_NONE              40314
#define IDS_PAUSE_OTHER             40315   /* a combination option.ini names that the list does not offer */
#define IDS_SHOW_LAYER1             40316
#define IDS_SHOW_LAYER2             40317
#define IDS_TITLE_LAYER2            40318   /* appended to the title while layer 2 is shown */
#define IDS_POINTER_NONE            40320
#define IDS_POINTER_IR              40321
#define IDS_POINTER_GYRO            40322
#define IDS_POINTER_MODE_FIRST      IDS_POINTER_NONE       /* + Pointer.nMode */
#define IDS_BAR_ABOVE               40323
#define IDS_BAR_BELOW               40324
#define IDS_BAR_FIRST               IDS_BAR_ABOVE          /* + Pointer.nBarPosition */
#define IDS_POINTER_NO_SLOT         40325   /* the off-screen list's first item */
#define IDS_POINTER_ALWAYS          40326   /* the gyro hold list's first item */
#define IDS_SLOT_OFFSCREEN          40327   /* appended to the off-screen slot's text */
#define IDS_SLOT_POINTER_HOLD       40328   /* appended to the gyro hold slot's text */
#define IDS_POINTER_USE_OFFSCREEN   40329   /* the key setting dialog's note on such a slot */
#define IDS_POINTER_USE_HOLD        40330
#define IDS_SLOT_NAME_FIRST         40340   /* + slot: 40 names, in slot order */

/* The layer switch above the tabs: child controls of the main window */
#define IDC_SHOW_LAYER1             43000
#define IDC_SHOW_LAYER2             43001

/* Main menu commands */
#define IDM_ABOUT                   104
#define IDM_EXIT                    105
#define IDM_RUN                     200
#define IDM_STOP                    201
#define IDM_CONNECT                 40000
#define IDM_OPTIONS                 40001
#define IDM_OPEN                    40003
#define IDM_SAVE_AS                 40004
#define IDM_SAVE                    40005

/* Slot and drag menu commands (menu 131); the drag menu reuses swap and copy */
#define ID_SLOT_SWAP                40000
#define ID_SLOT_COPY                40002
#define ID_SLOT_DELETE              40003
#define ID_SLOT_KIND_KEY            40004
#define ID_SLOT_KIND_MOUSE          40006
#define ID_SLOT_KIND_APPLICATION    40007
#define ID_SLOT_KIND_DISABLED       40008
#define ID_SLOT_PASTE               40009
#define ID_SLOT_KIND_LAYER          40010

/* Slot buttons of the assignment pages: slot n has id IDC_SLOT_FIRST + n */
#define IDC_SLOT_FIRST              41000
#define IDC_SLOT_LAST               41039
#define IDC_SLOT_COUNT              40
/* Wii Remote page (111) */
#define IDC_REMOTE_A                41000
#define IDC_REMOTE_B                41001
#define IDC_REMOTE_MINUS            41002
#define IDC_REMOTE_HOME             41003
#define IDC_REMOTE_PLUS             41004
#define IDC_REMOTE_ONE              41005
#define IDC_REMOTE_TWO              41006
#define IDC_REMOTE_UP               41007
#define IDC_REMOTE_DOWN             41008
#define IDC_REMOTE_LEFT             41009
#define IDC_REMOTE_RIGHT            41010
/* Nunchuk page (113) */
#define IDC_NUNCHUK_C               41011
#define IDC_NUNCHUK_Z               41012
#define IDC_NUNCHUK_UP              41013
#define IDC_NUNCHUK_DOWN            41014
#define IDC_NUNCHUK_LEFT            41015
#define IDC_NUNCHUK_RIGHT           41016
/* Classic Controller page (115) */
#define IDC_CLASSIC_A               41017
#define IDC_CLASSIC_B               41018
#define IDC_CLASSIC_MINUS           41019
#define IDC_CLASSIC_HOME            41020
#define IDC_CLASSIC_PLUS            41021
#define IDC_CLASSIC_X               41022
#define IDC_CLASSIC_Y               41023
#define IDC_CLASSIC_UP              41024
#define IDC_CLASSIC_DOWN            41025
#define IDC_CLASSIC_LEFT            41026
#define IDC_CLASSIC_RIGHT           41027
#define IDC_CLASSIC_L               41028
#define IDC_CLASSIC_R               41029
#define IDC_CLASSIC_ZL              41030
#define IDC_CLASSIC_ZR              41031
#define IDC_CLASSIC_LSTICK_UP       41032
#define IDC_CLASSIC_LSTICK_DOWN     41033
#define IDC_CLASSIC_LSTICK_LEFT     41034
#define IDC_CLASSIC_LSTICK_RIGHT    41035
#define IDC_CLASSIC_RSTICK_UP       41036
#define IDC_CLASSIC_RSTICK_DOWN     41037
#define IDC_CLASSIC_RSTICK_LEFT     41038
#define IDC_CLASSIC_RSTICK_RIGHT    41039

/* Options page (117) */
#define IDC_LED1                    40080
#define IDC_LED2                    40081
#define IDC_LED3                    40082
#define IDC_LED4                    40083
#define IDC_SYSTEM_REPEAT           40094
#define IDC_ANALOG_CORRECTION       1001
/* ... and the remote in use */
#define IDC_REMOTE_BATTERY          42070
#define IDC_REMOTE_EXTENSION        42071
/* ... and the LEDs that show layer 2 */
#define IDC_LAYER_LED1              42072
#define IDC_LAYER_LED2              42073
#define IDC_LAYER_LED3              42074
#define IDC_LAYER_LED4              42075
/* ... and the pointer */
#define IDC_POINTER_MODE            42080
#define IDC_POINTER_BAR             42081
#define IDC_POINTER_AREA            42082
#define IDC_POINTER_AREA_SPIN       42083
#define IDC_POINTER_OFFSCREEN       42084
#define IDC_POINTER_SPEED           42085
#define IDC_POINTER_SPEED_SPIN      42086
#define IDC_POINTER_HOLD            42087
/* ... and the key setting dialog's note on a slot the pointer uses */
#define IDC_POINTER_USE             42088

/* Remote selection dialog (119) */
#define IDC_REMOTE_LIST             40090

/* Key setting dialog (121) */
#define IDC_KIND_KEY                1003
#define IDC_KIND_MOUSE              1004
#define IDC_KIND_APPLICATION        1005
#define IDC_KIND_DISABLED           1006
#define IDC_KEY_FIELD               40101
#define IDC_MOUSE_ACTION            40102
#define IDC_MOVE_AMOUNT_LABEL       40104
#define IDC_MOVE_AMOUNT             40105
#define IDC_APP_PATH                40106
#define IDC_APP_BROWSE              40107
#define IDC_KIND_LAYER              1007
#define IDC_LAYER_MODE              40108
#define IDC_PRESS_MODE_LABEL        40109
#define IDC_PRESS_MODE              40110
#define IDC_TURBO_RATE_LABEL        40111
#define IDC_TURBO_RATE              40112
#define IDC_TURBO_RATE_SPIN         40113

/* Options dialog (133) */
#define IDC_OPT_INIT_SET            41039
#define IDC_OPT_SETTING_FILE        41042
#define IDC_OPT_BROWSE              41043
#define IDC_OPT_CONNECT             1001
#define IDC_OPT_TIMEOUT             41051

/* Options dialog (133), the switches of the resident features */
#define IDC_OPT_AUTO_CONNECT        42000
#define IDC_OPT_CLOSE_TO_TRAY       42001
#define IDC_OPT_START_IN_TRAY       42002
#define IDC_OPT_HIGHLIGHT_PRESSED   42003
#define IDC_OPT_PROGRAM_SWITCH      42004
#define IDC_OPT_IMMEDIATE_REACTION  42005
#define IDC_OPT_PAUSE_SLOTS         42006

/* Notification-area menu (150) */
#define ID_TRAY_SHOW                42050
#define ID_TRAY_RUN                 42051
#define ID_TRAY_STOP                42052
#define ID_TRAY_CONNECT             42053
#define ID_TRAY_EXIT                42054

/* Options dialog (133): opens the program list */
#define IDC_OPT_PROGRAM_SETS        42110

/* Program list dialog (140) */
#define IDC_PROGRAM_LIST            42100
#define IDC_PROGRAM_CANDIDATE       42101
#define IDC_PROGRAM_ADD             42102
#define IDC_PROGRAM_FILE            42103
#define IDC_PROGRAM_REMOVE          42104
#define IDC_PROGRAM_REFUSED         42105

/* About dialog (103) */
#define IDC_ABOUT_ICON              1000
#define IDC_LIBRARY_VERSION         1001

#endif
