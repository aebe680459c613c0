// Resource identifiers of the dialogs, menus and controls.
#pragma once

#define IDI_KESTRIVE 1
#define IDB_HELP 2
#define IDB_LOGO 3

#define IDD_frm_first 100
#define IDM_frm_first 200
#define IDC_frm_first_btn_c 1001
#define IDC_frm_first_btn_rd 1002
#define IDC_frm_first_lbl_V 1003
#define IDC_frm_first_Label1 1004
#define IDC_frm_first_file_1 1005
#define IDC_frm_first_h_iii 1006
#define IDC_frm_first_frmfist_htraa 1007
#define IDC_frm_first_h_1xxx 1008
#define IDC_frm_first_help_his 1009
#define IDC_frm_first_help_3 1010
#define IDC_frm_first_help_d 1011
#define IDC_frm_first_help_comment 1012
#define IDC_frm_first_help_2 1013

#define IDD_frm_rd 101
#define IDM_frm_rd 201
#define IDC_frm_rd_fmSD 1101
#define IDC_frm_rd_cmb_rd 1102
#define IDC_frm_rd_btn_rsd 1103
#define IDC_frm_rd_btn_scan 1104
#define IDC_frm_rd_Framec 1105
#define IDC_frm_rd_lst_dir_2 1106
#define IDC_frm_rd_btn_r_dir2 1107
#define IDC_frm_rd_btn_s2 1108
#define IDC_frm_rd_btn_ds2 1109
#define IDC_frm_rd_btn_d2 1110
#define IDC_frm_rd_chkAD 1111
#define IDC_frm_rd_Framed 1112
#define IDC_frm_rd_lst_dir 1113
#define IDC_frm_rd_btn_r 1114
#define IDC_frm_rd_btn_dir_sa 1115
#define IDC_frm_rd_btn_dir_usa 1116
#define IDC_frm_rd_btn_del 1117
#define IDC_frm_rd_Frameddfgre34 1118
#define IDC_frm_rd_btn_x 1119
#define IDC_frm_rd_T1 1120
#define IDC_frm_rd_f_Back 1121
#define IDC_frm_rd_f_Exit 1122
#define IDC_frm_rd_e_sa 1123

#define IDD_frm_c 102
#define IDM_frm_c 202
#define IDC_frm_c_Framenufgis 1201
#define IDC_frm_c_btn_scan 1202
#define IDC_frm_c_btn_x 1203
#define IDC_frm_c_frameM 1204
#define IDC_frm_c_lst_V 1205
#define IDC_frm_c_btn_c_ma 1206
#define IDC_frm_c_btn_c_uma 1207
#define IDC_frm_c_btn_c_r 1208
#define IDC_frm_c_btn_d 1209
#define IDC_frm_c_Frame 1210
#define IDC_frm_c_lst_P 1211
#define IDC_frm_c_btn_Esa 1212
#define IDC_frm_c_btn_Edsa 1213
#define IDC_frm_c_btn_Er 1214
#define IDC_frm_c_btn_Ed 1215
#define IDC_frm_c_T2 1216
#define IDC_frm_c_f2_Back 1217
#define IDC_frm_c_f2_Exit 1218
#define IDC_frm_c_ex_fReg 1219

#define IDD_frm_RM 103
#define IDM_frm_RM 203
#define IDC_frm_RM_fme_RM 1301
#define IDC_frm_RM_chk_NRE 1302
#define IDC_frm_RM_chk_DCMD 1303
#define IDC_frm_RM_chk_HFO 1304
#define IDC_frm_RM_chk_NTM 1305
#define IDC_frm_RM_chk_SHFF 1306
#define IDC_frm_RM_chk_SE 1307
#define IDC_frm_RM_btn_okk 1308
#define IDC_frm_RM_btn_zx 1309
#define IDC_frm_RM_RM_f_back 1310
#define IDC_frm_RM_RM_f_exit 1311
#define IDC_frm_RM_RM_h_htraa 1312

#define IDD_frm_help 104
#define IDM_frm_help 204
#define IDC_frm_help_frmeeddf 1401
#define IDC_frm_help_Picturedcd 1402
#define IDC_frm_help_btn_ok 1403

#define IDD_frm_h 105
#define IDM_frm_h 205
#define IDC_frm_h_txt1 1501
#define IDC_frm_h_btn_k 1502

#define IDD_frm_about 106
#define IDM_frm_about 206
#define IDC_frm_about_Image1 1601
#define IDC_frm_about_lbl_version 1602
#define IDC_frm_about_lbl_0 1603
#define IDC_frm_about_Label2 1604
#define IDC_frm_about_Label1 1605
#define IDC_frm_about_btn_ok 1606

#define IDD_frm_u 107
#define IDM_frm_u 207
#define IDC_frm_u_btn_k 1701

#define IDD_frm_op 108
#define IDM_frm_op 208
