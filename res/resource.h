// Resource numbers of the plug-in and of its language resource modules.
// Templates, controls and strings keep these numbers in every language module;
// the plug-in finds them by number only.
#pragma once

// ---------------------------------------------------------------------------
// Dialog templates
// ---------------------------------------------------------------------------
#define IDD_BASIC_HOST              1100    // empty host page of the Basic page
#define IDD_BASIC_PAGE              1101    // Basic page
#define IDD_ADVANCED_HOST           1102    // empty host page of the Advanced page
#define IDD_ADVANCED_PAGE           1103    // Advanced page
#define IDD_COPIES_BOX              1104    // number box: copies
#define IDD_DUPLEX_PICKER           1105    // picture radio group: duplex, 3 pictures
#define IDD_ORIENTATION_PICKER      1106    // picture radio group: orientation
#define IDD_QUALITY_PICKER          1107    // picture radio group: print quality
#define IDD_FEEDEDGE_PICKER         1108    // picture radio group: feed edge
#define IDD_PAPER_POPUP             1109    // drop-down paper list
#define IDD_CUSTOM_PAPER            1110    // custom-paper dialog
#define IDD_SCALE_BOX               1111    // number box: scale
#define IDD_TIP_POPUP               1112    // tooltip popup
#define IDD_DEVICE_HOST             1113    // empty host page of the device page
#define IDD_DEVICE_PAGE             1114    // device-settings dialog

// ---------------------------------------------------------------------------
// Pictures of the plug-in module (drawn by scripts/make-pictures.py).
// IDR_: resource type "PNG" (image kind 0); IDB_: RT_BITMAP (image kind 1);
// IDI_: icons. Sizes in pixels.
// ---------------------------------------------------------------------------

// Pages-per-sheet icons, 38 x 38, 32-bit, one per "%PagePerSheet" option
#define IDI_NUP1_PORTRAIT           1201
#define IDI_NUP2_PORTRAIT           1202
#define IDI_NUP4_PORTRAIT           1203
#define IDI_NUP6_PORTRAIT           1204
#define IDI_NUP9_PORTRAIT           1205
#define IDI_NUP16_PORTRAIT          1206
#define IDI_NUP1_LANDSCAPE          1207
#define IDI_NUP2_LANDSCAPE          1208
#define IDI_NUP4_LANDSCAPE          1209
#define IDI_NUP6_LANDSCAPE          1210
#define IDI_NUP9_LANDSCAPE          1211
#define IDI_NUP16_LANDSCAPE         1212

// Bitmaps
#define IDB_BASIC_BACKGROUND        1300    // 608 x 553, draws the group panels
#define IDB_ADVANCED_BACKGROUND     1301    // 608 x 553
#define IDB_SWITCH_ON               1305    // switches, 50 x 19, on the panels' white
#define IDB_SWITCH_OFF              1306
#define IDB_SWITCH_ON_HOVER         1307
#define IDB_SWITCH_OFF_HOVER        1308
#define IDB_DENSITY_SCALE           1309    // 110 x 22, light to dark

// Spin arrows, 23 x 23
#define IDR_ARROW_UP                1400
#define IDR_ARROW_UP_HOVER          1401    // also the selected image
#define IDR_ARROW_DOWN              1403
#define IDR_ARROW_DOWN_HOVER        1404    // also the selected image

// Picker pictures, 40 x 40: normal, selected, hover
#define IDR_DUPLEX_NONE_PORTRAIT            1406
#define IDR_DUPLEX_NONE_PORTRAIT_SELECTED   1407
#define IDR_DUPLEX_NONE_PORTRAIT_HOVER      1408
#define IDR_DUPLEX_LONG_PORTRAIT            1409
#define IDR_DUPLEX_LONG_PORTRAIT_SELECTED   1410
#define IDR_DUPLEX_LONG_PORTRAIT_HOVER      1411
#define IDR_DUPLEX_SHORT_PORTRAIT           1412
#define IDR_DUPLEX_SHORT_PORTRAIT_SELECTED  1413
#define IDR_DUPLEX_SHORT_PORTRAIT_HOVER     1414
#define IDR_PORTRAIT                        1415
#define IDR_PORTRAIT_SELECTED               1416
#define IDR_PORTRAIT_HOVER                  1417
#define IDR_LANDSCAPE                       1418
#define IDR_LANDSCAPE_SELECTED              1419
#define IDR_LANDSCAPE_HOVER                 1420
#define IDR_DUPLEX_NONE_LANDSCAPE           1421
#define IDR_DUPLEX_NONE_LANDSCAPE_SELECTED  1422
#define IDR_DUPLEX_NONE_LANDSCAPE_HOVER     1423
#define IDR_DUPLEX_LONG_LANDSCAPE           1424
#define IDR_DUPLEX_LONG_LANDSCAPE_SELECTED  1425
#define IDR_DUPLEX_LONG_LANDSCAPE_HOVER     1426
#define IDR_DUPLEX_SHORT_LANDSCAPE          1427
#define IDR_DUPLEX_SHORT_LANDSCAPE_SELECTED 1428
#define IDR_DUPLEX_SHORT_LANDSCAPE_HOVER    1429
#define IDR_QUALITY_600DPI                  1430
#define IDR_QUALITY_600DPI_SELECTED         1431
#define IDR_QUALITY_600DPI_HOVER            1432
#define IDR_QUALITY_1200DPI                 1433
#define IDR_QUALITY_1200DPI_SELECTED        1434
#define IDR_QUALITY_1200DPI_HOVER           1435
#define IDR_FEEDEDGE_LONG                   1436    // feed-edge choice 1: "LongEdge"
#define IDR_FEEDEDGE_LONG_SELECTED          1437
#define IDR_FEEDEDGE_LONG_HOVER             1438
#define IDR_FEEDEDGE_SHORT                  1439    // feed-edge choice 0: "ShortEdge"
#define IDR_FEEDEDGE_SHORT_SELECTED         1440
#define IDR_FEEDEDGE_SHORT_HOVER            1441

// Picture buttons, 23 x 21: normal, hover
#define IDR_QUICKSET_SAVE           1442
#define IDR_QUICKSET_SAVE_HOVER     1443
#define IDR_QUICKSET_DELETE         1444
#define IDR_QUICKSET_DELETE_HOVER   1445
#define IDR_CUSTOM_PAPER            1446
#define IDR_CUSTOM_PAPER_HOVER      1447    // also the pressed image
#define IDR_PAPER_ADD               1448    // custom-paper dialog
#define IDR_PAPER_ADD_HOVER         1449
#define IDR_PAPER_DELETE            1450
#define IDR_PAPER_DELETE_HOVER      1451

// Density slider frames, 113 x 30: the thumb over x 9-19, 49-59, 91-101
#define IDR_DENSITY_LIGHT           1456    // frame 0
#define IDR_DENSITY_LIGHT_HOVER     1457
#define IDR_DENSITY_NORMAL          1458    // frame 1
#define IDR_DENSITY_NORMAL_HOVER    1459
#define IDR_DENSITY_DARK            1460    // frame 2
#define IDR_DENSITY_DARK_HOVER      1461

#define IDR_WARNING                 1462    // constraint indicator, 32 x 32
#define IDR_INFORMATION             1463    // 23 x 21
#define IDR_LOGO                    1464    // 112 x 32

// ---------------------------------------------------------------------------
// Controls
// ---------------------------------------------------------------------------

// Basic page (1101)
#define IDC_BASIC_DEFAULT           2104    // Default button
#define IDC_QUICKSET_COMBO          2200    // quick-set names, editable
#define IDC_PAPER_SIZE              2300    // paper combo, opens the paper popup
#define IDC_MEDIA_TYPE              2302
#define IDC_INPUT_SLOT              2303
#define IDC_COPIES_FRAME            2402    // placeholder of the copies box
#define IDC_COLLATE                 2403    // collate switch
#define IDC_FEEDEDGE_FRAME          2420    // placeholder of the feed-edge group
#define IDC_QUICKSET_SAVE           2421
#define IDC_QUICKSET_DELETE         2422
#define IDC_CUSTOM_PAPER            2423    // opens the custom-paper dialog
#define IDC_INPUT_SLOT_WARN         2427    // constraint indicators
#define IDC_MEDIA_TYPE_WARN         2428
#define IDC_FEEDEDGE_WARN           2430
#define IDC_BASIC_LOGO              2440
#define IDC_PAPER_TITLE             2500    // group titles and labels
#define IDC_PAPER_SIZE_LABEL        2501
#define IDC_COPIES_TITLE            2502
#define IDC_COPIES_LABEL            2503
#define IDC_COLLATE_LABEL           2504
#define IDC_MEDIA_TYPE_LABEL        2522
#define IDC_INPUT_SLOT_LABEL        2523
#define IDC_FEEDEDGE_LABEL          2526
#define IDC_QUICKSET_TITLE          2531

// Advanced page (1103)
#define IDC_ADVANCED_DEFAULT        2105    // Default button
#define IDC_PAGES_PER_SHEET         2301
#define IDC_DUPLEX_FRAME            2407    // placeholder of the duplex picker
#define IDC_PAGE_BORDER             2408    // switches
#define IDC_ORIENTATION_FRAME       2411    // placeholder of the orientation picker
#define IDC_ROTATE180               2412
#define IDC_TONER_SAVE              2413
#define IDC_DENSITY                 2414    // three-frame density slider
#define IDC_QUALITY_FRAME           2417    // placeholder of the print-quality picker
#define IDC_DUPLEX_WARN             2429    // constraint indicators
#define IDC_SCALE_WARN              2431
#define IDC_SCALE_FRAME             2434    // placeholder of the scale box
#define IDC_DENSITY_SCALE           2435    // picture beside the slider
#define IDC_DENSITY_WARN            2437
#define IDC_ADVANCED_LOGO           2441
#define IDC_FINE_GRAPHICS           2444    // switch
#define IDC_DUPLEX_NAME             2508    // hidden display name of "Duplex"
#define IDC_PAGES_PER_SHEET_LABEL   2509
#define IDC_PAGE_BORDER_LABEL       2510
#define IDC_SCALE_LABEL             2511
#define IDC_ORIENTATION_LABEL       2513
#define IDC_ROTATE180_LABEL         2516
#define IDC_TONER_SAVE_LABEL        2517
#define IDC_DENSITY_LABEL           2518
#define IDC_QUALITY_LABEL           2521
#define IDC_DUPLEX_TITLE            2527
#define IDC_LAYOUT_TITLE            2528
#define IDC_ORIENTATION_TITLE       2529
#define IDC_EFFECTS_TITLE           2530
#define IDC_FINE_GRAPHICS_LABEL     2547

// Number boxes (1104 copies, 1111 scale)
#define IDC_COPIES_UP               2400
#define IDC_COPIES_DOWN             2401
#define IDC_SCALE_UP                2432
#define IDC_SCALE_DOWN              2433
#define IDC_SCALE_PERCENT           2512    // "%" after the scale
#define IDC_COPIES_EDIT             2600
#define IDC_SCALE_EDIT              2601

// Picture radio groups (1105 duplex, 1106 orientation, 1107 quality, 1108 feed edge)
#define IDC_DUPLEX_NONE             2404
#define IDC_DUPLEX_LONG             2405
#define IDC_DUPLEX_SHORT            2406
#define IDC_DUPLEX_NONE_LABEL       2505
#define IDC_DUPLEX_LONG_LABEL       2506
#define IDC_DUPLEX_SHORT_LABEL      2507
#define IDC_PORTRAIT                2409
#define IDC_LANDSCAPE               2410
#define IDC_PORTRAIT_LABEL          2514
#define IDC_LANDSCAPE_LABEL         2515
#define IDC_QUALITY_600DPI          2415
#define IDC_QUALITY_1200DPI         2416
#define IDC_QUALITY_600DPI_LABEL    2519
#define IDC_QUALITY_1200DPI_LABEL   2520
#define IDC_FEEDEDGE_LONG           2418    // choice 1
#define IDC_FEEDEDGE_SHORT          2419    // choice 0
#define IDC_FEEDEDGE_LONG_LABEL     2524
#define IDC_FEEDEDGE_SHORT_LABEL    2525

// Drop-down paper list (1109)
#define IDC_PAPER_LIST              2801

// Custom-paper dialog (1110)
#define IDC_CUSTOM_OK               2102
#define IDC_CUSTOM_CANCEL           2103
#define IDC_CUSTOM_ADD              2425
#define IDC_CUSTOM_DELETE           2426
#define IDC_CUSTOM_INFO             2438    // information picture with a tip
#define IDC_CUSTOM_INVALID          2439    // warning picture for an invalid cell
#define IDC_CUSTOM_GRID             2800
#define IDC_GRID_EDITOR             1000001 // in-place editors the grid creates
#define IDC_GRID_CHOICE_EDITOR      1000002

// Tooltip popup (1112)
#define IDC_TIP_PICTURE             2436
#define IDC_TIP_TEXT                2532

// Device-settings dialog (1114)
#define IDC_SUPPORT_LINK            2106    // opens the maker's web page
#define IDC_SLEEP_TIME              2201
#define IDC_TRAY1_PAPER             2202
#define IDC_TRAY2_PAPER             2203
#define IDC_TRAY1_SWITCH            2442
#define IDC_TRAY2_SWITCH            2443
#define IDC_MUTE_SWITCH             2445
#define IDC_SLEEP_GROUP             2533
#define IDC_SLEEP_LABEL             2534
#define IDC_SLEEP_NOTE              2535    // shown while sleep time cannot be set
#define IDC_ABOUT_GROUP             2536
#define IDC_ABOUT_MODEL             2537
#define IDC_ABOUT_DRIVER            2538
#define IDC_ABOUT_TEXT              2539
#define IDC_TRAYS_GROUP             2540
#define IDC_TRAY1_LABEL             2541
#define IDC_TRAY2_LABEL             2542
#define IDC_TRAY1_PAPER_LABEL       2545
#define IDC_TRAY2_PAPER_LABEL       2546
#define IDC_MUTE_LABEL              2548

// ---------------------------------------------------------------------------
// Strings
// ---------------------------------------------------------------------------

// Printer sheet: feature tree and its conflict question
#define IDS_TREE_CALLER             3       // caller name; caption of the question
#define IDS_TREE_TAB                4       // tab name of the tree page
#define IDS_TREE_CONFLICT           5       // question: %1 feature, %2 option,
                                            // %3 item name, %4 item option
// Names of the common UI items: loaded from the module the core driver names,
// never from the language module.
#define IDS_PRINTER_ITEM_NAME       6
#define IDS_DOCUMENT_ITEM_NAME      10

// Display names of special features
#define IDS_FEATURE_PSMEMORY        400     // %PSMemory
#define IDS_FEATURE_JOBTIMEOUT      404     // %JobTimeout
#define IDS_FEATURE_WAITTIMEOUT     405     // %WaitTimeout
#define IDS_FEATURE_METAFILE        419     // %MetafileSpooling
#define IDS_FEATURE_MIRRORING       423     // %Mirroring
#define IDS_FEATURE_NEGATIVE        424     // %Negative
#define IDS_FEATURE_CTRLD_BEFORE    427     // %CtrlDBefore
#define IDS_FEATURE_CTRLD_AFTER     428     // %CtrlDAfter
#define IDS_FEATURE_PROTOCOL        440     // %OutputProtocol
#define IDS_FEATURE_ERRORHANDLER    450     // %PSErrorHandler
#define IDS_FEATURE_MINOUTLINE      451     // %MinFontSizeAsOutline
#define IDS_FEATURE_MAXBITMAP       452     // %MaxFontSizeAsBitmap
#define IDS_FEATURE_OUTPUTFORMAT    454     // %OutputFormat
#define IDS_FEATURE_TTDOWNLOAD      459     // %TTDownloadFormat
#define IDS_FEATURE_PSLEVEL         471     // %OutputPSLevel
#define IDS_FEATURE_TEXTGRAY        507     // %TextTrueGray
#define IDS_FEATURE_GRAPHICSGRAY    508     // %GraphicsTrueGray
#define IDS_FEATURE_ADDEURO         509     // %AddEuro

// Display names of special options
#define IDS_OPTION_ASCII            441
#define IDS_OPTION_BCP              442
#define IDS_OPTION_TBCP             443
#define IDS_OPTION_BINARY           444
#define IDS_OPTION_SPEED            455
#define IDS_OPTION_PORTABILITY      456
#define IDS_OPTION_EPS              457
#define IDS_OPTION_ARCHIVE          458
#define IDS_OPTION_AUTOMATIC        460
#define IDS_OPTION_OUTLINE          461
#define IDS_OPTION_BITMAP           462
#define IDS_OPTION_NATIVETT         463
#define IDS_OPTION_16UP             464

// Page titles
#define IDS_DEVICE_TITLE            604
#define IDS_BASIC_TITLE             4000
#define IDS_ADVANCED_TITLE          4001

// Basic page
#define IDS_PAPER_GROUP             4002
#define IDS_COPIES_GROUP            4003
#define IDS_COPIES_LABEL            4004
#define IDS_INPUT_SLOT_AUTO         4026    // input-slot option 0
#define IDS_PAPER_SIZE_LABEL        5053
#define IDS_COLLATE_LABEL           5054
#define IDS_FEEDEDGE_LABEL          5055
#define IDS_FEEDEDGE_SHORT          5056    // feed-edge choice 0
#define IDS_FEEDEDGE_LONG           5057    // feed-edge choice 1
#define IDS_MEDIA_TYPE_LABEL        5058
#define IDS_MEDIA_0                 5059    // media-type options 0 to 6:
#define IDS_MEDIA_1                 5060    //   5059 5060 5061 5064 5062 5063 5065
#define IDS_MEDIA_2                 5061
#define IDS_MEDIA_4                 5062
#define IDS_MEDIA_5                 5063
#define IDS_MEDIA_3                 5064
#define IDS_MEDIA_6                 5065
#define IDS_INPUT_SLOT_LABEL        5066
#define IDS_INPUT_SLOT_3            5069    // input-slot options 1 to 4:
#define IDS_INPUT_SLOT_4            5070    //   5071 5072 5069 5070
#define IDS_INPUT_SLOT_1            5071
#define IDS_INPUT_SLOT_2            5072

// Quick sets
#define IDS_QUICKSET_DEFAULT        4016    // name of the default quick set
#define IDS_QUICKSET_UNSAVED        4017    // settings that are no saved set;
                                            // also the prefix of new paper names
#define IDS_QUICKSET_REPLACE        4018
#define IDS_QUICKSET_CAPTION        4019    // also the device page's warning caption
#define IDS_QUICKSET_GROUP          4021
#define IDS_QUICKSET_SAVE_TIP       5031
#define IDS_QUICKSET_DELETE_TIP     5032
#define IDS_QUICKSET_FULL           5203
#define IDS_QUICKSET_NOT_SAVED      5204
#define IDS_QUICKSET_NOT_DELETED    5205
#define IDS_QUICKSET_GONE           5207    // the chosen set is no longer in the file

// Both document pages
#define IDS_DEFAULT_BUTTON          4020
#define IDS_SWITCH_ON_TIP           5020
#define IDS_SWITCH_OFF_TIP          5021

// Advanced page
#define IDS_DUPLEX_NONE             4005    // also the default duplex name
#define IDS_DUPLEX_LONG             4006
#define IDS_DUPLEX_SHORT            4007
#define IDS_PAGE_BORDER_LABEL       4008
#define IDS_SCALE_LABEL             4009
#define IDS_ORIENTATION_LABEL       4010
#define IDS_PORTRAIT                4011    // also the default orientation name
#define IDS_LANDSCAPE               4012
#define IDS_ROTATE180_LABEL         4013
#define IDS_TONER_SAVE_LABEL        4014
#define IDS_DENSITY_LABEL           4015
#define IDS_DUPLEX_GROUP            4022
#define IDS_LAYOUT_GROUP            4023
#define IDS_ORIENTATION_GROUP       4024
#define IDS_EFFECTS_GROUP           4025
#define IDS_PAGES_PER_SHEET_LABEL   4050
#define IDS_FINE_GRAPHICS_LABEL     4051
#define IDS_DENSITY_DARK_TIP        5034    // density 2
#define IDS_DENSITY_NORMAL_TIP      5035    // density 1
#define IDS_DENSITY_LIGHT_TIP       5036    // any other density
#define IDS_QUALITY_LABEL           5050
#define IDS_QUALITY_600DPI          5051    // also the default print-quality name
#define IDS_QUALITY_1200DPI         5052

// Custom papers (dialog and paper popup)
#define IDS_CUSTOM_INVALID_TIP      4035
#define IDS_CUSTOM_INFO_TIP         4036
#define IDS_COLUMN_WIDTH            4037
#define IDS_COLUMN_HEIGHT           4038
#define IDS_COLUMN_NAME             4039
#define IDS_COLUMN_UNIT             4040
#define IDS_CUSTOM_OK               4041
#define IDS_CUSTOM_CANCEL           4042
#define IDS_UNIT_MM                 4048
#define IDS_UNIT_INCH               4049
#define IDS_CUSTOM_PAPER            5033    // dialog caption; tip of its button
#define IDS_CUSTOM_PAPER_NOT_DELETED 5206
#define IDS_CUSTOM_PAPERS_NOT_SAVED 5208
#define IDS_CUSTOM_PAPERS_CHANGED   5209    // another sheet wrote the papers meanwhile
#define IDS_QUICKSET_NOT_READ       5210    // a quick set could not be read with the papers it names

// Device-settings dialog
#define IDS_SLEEP_GROUP             4027
#define IDS_SLEEP_LABEL             4028
#define IDS_SLEEP_NOTE              4029
#define IDS_ABOUT_GROUP             4031
#define IDS_ABOUT_DRIVER            4032
#define IDS_ABOUT_TEXT              4033
#define IDS_SUPPORT_LINK            4034
#define IDS_TRAYS_GROUP             4043
#define IDS_TRAY1_LABEL             4044
#define IDS_TRAY2_LABEL             4045
#define IDS_TRAY1_PAPER_LABEL       4046
#define IDS_TRAY2_PAPER_LABEL       4047
#define IDS_MUTE_LABEL              4052
#define IDS_DEVICE_NOT_READY        4053

// Warnings of the constraint rules (caption: IDS_CONFLICT_CAPTION)
#define IDS_CONFLICT_PAPER_DUPLEX   5003    // paper size, bit 0x1
#define IDS_CONFLICT_CAPTION        5004    // caption of every warning; page border
#define IDS_CONFLICT_FEEDEDGE       5006    // feed edge, bit 0x1
#define IDS_CONFLICT_MEDIA_DUPLEX   5007    // media type, bit 0x1
#define IDS_CONFLICT_DUPLEX_MEDIA   5008    // duplex, bit 0x2
#define IDS_CONFLICT_DUPLEX_PAPER   5009    // duplex, bit 0x1
#define IDS_CONFLICT_SCALE          5011    // scale, bit 0x1
#define IDS_CONFLICT_DENSITY        5012    // density, bit 0x1
#define IDS_CONFLICT_PAGES          5013    // pages per sheet, bit 0x1
#define IDS_CONFLICT_TRAY_PAPER     5014    // input slot, bit 0x4
#define IDS_CONFLICT_TRAY_A5        5015    // input slot, bit 0x8
#define IDS_CONFLICT_SLOT_PAPER     5016    // input slot, bit 0x1
#define IDS_CONFLICT_SLOT_MEDIA     5017    // input slot, bit 0x2
