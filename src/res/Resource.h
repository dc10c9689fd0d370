// The program's resources, handed to the platform layer at start-up.
#pragma once

#include "framework/Resources.h"

namespace res {

inline constexpr UINT IDD_ABOUTBOX = 100;
inline constexpr UINT IDS_ABOUTBOX = 101;
inline constexpr UINT IDD_VELQUOR_DIALOG = 102;
inline constexpr UINT IDR_MAINFRAME = 128;
inline constexpr UINT IDI_ALTERNATE = 133;
inline constexpr UINT IDD_VERSION = 130;
inline constexpr UINT IDM_ABOUTBOX = 0x0010;

// The machine-code box of a benchmark button's kernel, opened from the
// buttons' right-click menu.
inline constexpr UINT IDD_DISASM = 140;
inline constexpr UINT IDS_KERNEL_DISASM = 141;
inline constexpr UINT ID_KERNEL_DISASM = 32771;
inline constexpr int IDC_DISASM_NOTICE = 1100;
inline constexpr int IDC_DISASM_LISTING = 1101;
inline constexpr int IDC_DISASM_SAMPLE = 1102;

// The box that runs a benchmark button's kernel in each build variant, from
// the same menu.
inline constexpr UINT IDD_VARIANTS = 150;
inline constexpr UINT IDS_KERNEL_VARIANTS = 151;
inline constexpr UINT ID_KERNEL_VARIANTS = 32772;
inline constexpr int IDC_VARIANTS_NOTICE = 1110;
inline constexpr int IDC_VARIANTS_TABLE = 1111;
inline constexpr int IDC_VARIANTS_RERUN = 1112;

// The box that measures a benchmark button's fill over a series of array
// sizes and draws it, from the same menu.
inline constexpr UINT IDD_SWEEP = 160;
inline constexpr UINT IDS_KERNEL_SWEEP = 161;
inline constexpr UINT ID_KERNEL_SWEEP = 32773;
inline constexpr int IDC_SWEEP_NOTICE = 1120;
inline constexpr int IDC_SWEEP_CHART = 1121;
inline constexpr int IDC_SWEEP_TABLE = 1122;
inline constexpr int IDC_SWEEP_STOP = 1123;

/// Every resource of the program file.
const afx::ResourceSet& ProgramResources();

/// The version block, for `velquor --version`.
const afx::VersionInfo& ProgramVersion();

}  // namespace res
