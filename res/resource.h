// Resource identifiers of Quarrystone, one header for the program and its resource script.
// Grouped by range so that a new id lands next to its kind and never collides with another kind.
#pragma once

// Icons and strings (128-255)
#define IDR_MAINFRAME 128 // program icon (64, 48, 32, 24, 16 px) and the program's name string
#define IDI_FILE_FALLBACK 204 // blank page with a gear: stands in for file icons the shell can't give
#define IDI_FOLDER_FALLBACK 205 // yellow folder: stands in for folder icons the shell can't give
#define IDI_ABOUT 207 // the About box's 48 x 48 picture

// Menus (200-255); each holds one untitled popup at position 0
#define IDR_FILE_MENU 201
#define IDR_FOLDER_MENU 202
#define IDR_PREVIEW_MENU 203 // the viewer's dump: copy, select, go to, find

// Dialog templates (100-199)
#define IDD_ABOUTBOX 100
#define IDD_MAINDLG 101
#define IDD_VIEWDLG 102
#define IDD_FINDDLG 103
#define IDD_GOTODLG 104
#define IDD_COPYPROGRESS 105 // a folder's Save As: its progress and Cancel

// Controls (1000-1999)
#define IDC_FILE_TREE 1000 // main dialog: the tree of the hidden volume
#define IDC_PREVIEW 1001 // view dialog: the static that becomes the hex preview
#define IDC_ABOUT_LINK 1002 // About box: the static that becomes the link to the maker's site
#define IDC_ABOUT_VERSION 1003 // About box: name and version line
#define IDC_VOLUME_LINE 1004 // main dialog: the volume's size, file system and free space
#define IDC_SELECTION_LINE 1005 // main dialog: what the selected item holds
#define IDC_FIND_TEXT 1010 // Find: what to find
#define IDC_FIND_KIND_TEXT 1011 // Find: one byte a character (first of three radio buttons)
#define IDC_FIND_KIND_UTF16 1012 // Find: UTF-16LE text
#define IDC_FIND_KIND_HEX 1013 // Find: hex bytes
#define IDC_FIND_MATCH_CASE 1014
#define IDC_GOTO_OFFSET 1020 // Go To: the offset typed
#define IDC_GOTO_HEX 1021 // Go To: base 16 (first of two radio buttons)
#define IDC_GOTO_DECIMAL 1022
#define IDC_COPY_COUNT 1030 // a folder's copy: "Copying N of M files"
#define IDC_COPY_FILE 1031 // the file being copied
#define IDC_COPY_BAR 1032 // the progress bar, by bytes

// Commands of the context menus (32768-57343)
#define ID_FILE_VIEW 32778
#define ID_FILE_COPYPATH 32779
#define ID_FILE_SAVEAS 32780
#define ID_FILE_SAVELISTING 32781 // folders and the root only
#define ID_FILE_PROPERTIES 32782

// Commands of the viewer's dump menu, and of its keys
#define ID_PREVIEW_COPY 32790 // as the active pane shows the bytes
#define ID_PREVIEW_COPY_HEX 32791
#define ID_PREVIEW_COPY_TEXT 32792
#define ID_PREVIEW_COPY_OFFSET 32793
#define ID_PREVIEW_SELECT_ALL 32794
#define ID_PREVIEW_GOTO 32795
#define ID_PREVIEW_FIND 32796

// The maker's web site: the About link's label and the address it opens. A reserved example
// domain until the project has a home page; the template's text and the code both take it from
// here.
#define QS_HOME_HOST "www.quarrystone.example"
#define QS_HOME_PAGE "https://" QS_HOME_HOST "/"

// System-menu command (0xE000 and up; the low four bits belong to the system and are masked off)
#define IDM_ABOUTBOX 0xE140
