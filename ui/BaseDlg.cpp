#include "ui/BaseDlg.h"
#include "device/PrinterUtils.h"
#include "res/resource.h"
#include "settings/FeatureSettings.h"
#include "settings/PaperList.h"
#include "settings/PrivateDevMode.h"
#include "sheets/PropSheet.h"

CBaseDlg::CBaseDlg(PROPSHEET_CONTEXT* context) : CPropDlg(IDD_BASIC_PAGE), m_context(context) {}

CBaseDlg::~CBaseDlg()
{
    delete m_pCopies;
    delete m_pFeedEdge;
    delete m_pPaperPopup;
}

BEGIN_MESSAGE_MAP(CBaseDlg, CPropDlg)
END_MESSAGE_MAP()

void CBaseDlg::SelectTrayByInstallableInfo()
{
    if (!m_context || !m_context->devmode || !m_context->devmode->pPrivate)
        return;
    PRIVATE_DEVMODE* block = m_context->devmode->pPrivate;
    if (block->inputSlot == 0) {
        INSTALLABLE_INFO trays = {};
        if (m_context->hPrinter)
            ReadInstallableInfo(m_context->hPrinter, &trays);
        CArray<PAPER_INFO> trayPapers;
        if (m_context->settings)
            m_context->settings->PaperList().GetTrayPaperList(&trayPapers);
        auto holdsPaper = [&](int tray) {
            const INSTALLABLE_TRAY& t = trays.tray[tray];
            return t.installed && t.paper < (DWORD)trayPapers.GetSize() && trayPapers[t.paper].id == block->paperId;
        };
        if (holdsPaper(0))
            block->inputSlot = 3;
        else if (holdsPaper(1))
            block->inputSlot = 4;
    }
    INT16 feedEdge = 0;
    if (GetFeedEdgeChoice(&feedEdge))
        block->feedEdge = feedEdge;
}

BOOL CBaseDlg::GetFeedEdgeChoice(INT16*) const { return FALSE; }

void CBaseDlg::ShowCollate(BOOL on)
{
    if (!m_collate.m_hWnd)
        return;
    m_collate.m_bOn = on ? 1 : 0;
    m_collate.UpdateSwitch();
}
