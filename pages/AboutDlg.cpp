#include "pages/AboutDlg.h"

#include "resources/resource.h"

CAboutDlg::CAboutDlg() : fw::Dialog(IDD_ABOUTBOX) {}
