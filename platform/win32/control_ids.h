// Which resource identifier shows which control of which window.
#pragma once

#include "platform/win32/resource.h"

namespace kestrive::win32 {

struct ControlId {
  const char* window;
  const char* control;
  int id;
};

inline constexpr ControlId kControlIds[] = {
    {"frm_first", "btn_c", IDC_frm_first_btn_c},
    {"frm_first", "btn_rd", IDC_frm_first_btn_rd},
    {"frm_first", "lbl_V", IDC_frm_first_lbl_V},
    {"frm_first", "Label1", IDC_frm_first_Label1},
    {"frm_first", "file_1", IDC_frm_first_file_1},
    {"frm_first", "h_iii", IDC_frm_first_h_iii},
    {"frm_first", "frmfist_htraa", IDC_frm_first_frmfist_htraa},
    {"frm_first", "h_1xxx", IDC_frm_first_h_1xxx},
    {"frm_first", "help_his", IDC_frm_first_help_his},
    {"frm_first", "help_3", IDC_frm_first_help_3},
    {"frm_first", "help_d", IDC_frm_first_help_d},
    {"frm_first", "help_comment", IDC_frm_first_help_comment},
    {"frm_first", "help_2", IDC_frm_first_help_2},
    {"frm_rd", "fmSD", IDC_frm_rd_fmSD},
    {"frm_rd", "cmb_rd", IDC_frm_rd_cmb_rd},
    {"frm_rd", "btn_rsd", IDC_frm_rd_btn_rsd},
    {"frm_rd", "btn_scan", IDC_frm_rd_btn_scan},
    {"frm_rd", "Framec", IDC_frm_rd_Framec},
    {"frm_rd", "lst_dir_2", IDC_frm_rd_lst_dir_2},
    {"frm_rd", "btn_r_dir2", IDC_frm_rd_btn_r_dir2},
    {"frm_rd", "btn_s2", IDC_frm_rd_btn_s2},
    {"frm_rd", "btn_ds2", IDC_frm_rd_btn_ds2},
    {"frm_rd", "btn_d2", IDC_frm_rd_btn_d2},
    {"frm_rd", "chkAD", IDC_frm_rd_chkAD},
    {"frm_rd", "Framed", IDC_frm_rd_Framed},
    {"frm_rd", "lst_dir", IDC_frm_rd_lst_dir},
    {"frm_rd", "btn_r", IDC_frm_rd_btn_r},
    {"frm_rd", "btn_dir_sa", IDC_frm_rd_btn_dir_sa},
    {"frm_rd", "btn_dir_usa", IDC_frm_rd_btn_dir_usa},
    {"frm_rd", "btn_del", IDC_frm_rd_btn_del},
    {"frm_rd", "Frameddfgre34", IDC_frm_rd_Frameddfgre34},
    {"frm_rd", "btn_x", IDC_frm_rd_btn_x},
    {"frm_rd", "T1", IDC_frm_rd_T1},
    {"frm_rd", "f_Back", IDC_frm_rd_f_Back},
    {"frm_rd", "f_Exit", IDC_frm_rd_f_Exit},
    {"frm_rd", "e_sa", IDC_frm_rd_e_sa},
    {"frm_c", "Framenufgis", IDC_frm_c_Framenufgis},
    {"frm_c", "btn_scan", IDC_frm_c_btn_scan},
    {"frm_c", "btn_x", IDC_frm_c_btn_x},
    {"frm_c", "frameM", IDC_frm_c_frameM},
    {"frm_c", "lst_V", IDC_frm_c_lst_V},
    {"frm_c", "btn_c_ma", IDC_frm_c_btn_c_ma},
    {"frm_c", "btn_c_uma", IDC_frm_c_btn_c_uma},
    {"frm_c", "btn_c_r", IDC_frm_c_btn_c_r},
    {"frm_c", "btn_d", IDC_frm_c_btn_d},
    {"frm_c", "Frame", IDC_frm_c_Frame},
    {"frm_c", "lst_P", IDC_frm_c_lst_P},
    {"frm_c", "btn_Esa", IDC_frm_c_btn_Esa},
    {"frm_c", "btn_Edsa", IDC_frm_c_btn_Edsa},
    {"frm_c", "btn_Er", IDC_frm_c_btn_Er},
    {"frm_c", "btn_Ed", IDC_frm_c_btn_Ed},
    {"frm_c", "T2", IDC_frm_c_T2},
    {"frm_c", "f2_Back", IDC_frm_c_f2_Back},
    {"frm_c", "f2_Exit", IDC_frm_c_f2_Exit},
    {"frm_c", "ex_fReg", IDC_frm_c_ex_fReg},
    {"frm_RM", "fme_RM", IDC_frm_RM_fme_RM},
    {"frm_RM", "chk_NRE", IDC_frm_RM_chk_NRE},
    {"frm_RM", "chk_DCMD", IDC_frm_RM_chk_DCMD},
    {"frm_RM", "chk_HFO", IDC_frm_RM_chk_HFO},
    {"frm_RM", "chk_NTM", IDC_frm_RM_chk_NTM},
    {"frm_RM", "chk_SHFF", IDC_frm_RM_chk_SHFF},
    {"frm_RM", "chk_SE", IDC_frm_RM_chk_SE},
    {"frm_RM", "btn_okk", IDC_frm_RM_btn_okk},
    {"frm_RM", "btn_zx", IDC_frm_RM_btn_zx},
    {"frm_RM", "RM_f_back", IDC_frm_RM_RM_f_back},
    {"frm_RM", "RM_f_exit", IDC_frm_RM_RM_f_exit},
    {"frm_RM", "RM_h_htraa", IDC_frm_RM_RM_h_htraa},
    {"frm_help", "frmeeddf", IDC_frm_help_frmeeddf},
    {"frm_help", "Picturedcd", IDC_frm_help_Picturedcd},
    {"frm_help", "btn_ok", IDC_frm_help_btn_ok},
    {"frm_h", "txt1", IDC_frm_h_txt1},
    {"frm_h", "btn_k", IDC_frm_h_btn_k},
    {"frm_about", "Image1", IDC_frm_about_Image1},
    {"frm_about", "lbl_version", IDC_frm_about_lbl_version},
    {"frm_about", "lbl_0", IDC_frm_about_lbl_0},
    {"frm_about", "Label2", IDC_frm_about_Label2},
    {"frm_about", "Label1", IDC_frm_about_Label1},
    {"frm_about", "btn_ok", IDC_frm_about_btn_ok},
    {"frm_u", "btn_k", IDC_frm_u_btn_k},
};

struct DialogId {
  const char* window;
  int dialog;
  int menu;
};

inline constexpr DialogId kWindowIds[] = {
    {"frm_first", IDD_frm_first, IDM_frm_first},
    {"frm_rd", IDD_frm_rd, IDM_frm_rd},
    {"frm_c", IDD_frm_c, IDM_frm_c},
    {"frm_RM", IDD_frm_RM, IDM_frm_RM},
    {"frm_help", IDD_frm_help, IDM_frm_help},
    {"frm_h", IDD_frm_h, IDM_frm_h},
    {"frm_about", IDD_frm_about, IDM_frm_about},
    {"frm_u", IDD_frm_u, IDM_frm_u},
    {"frm_op", IDD_frm_op, IDM_frm_op},
};

}  // namespace kestrive::win32
