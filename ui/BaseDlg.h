// CBaseDlg: the Basic page of the document sheet (template 1101).
#pragma once

#include "ui/PropDlg.h"

struct PROPSHEET_CONTEXT;

class CBaseDlg : public CPropDlg {
public:
    explicit CBaseDlg(PROPSHEET_CONTEXT* context);
    ~CBaseDlg() override;

    // Before the sheet's apply: with an automatic input slot, the optional
    // tray that holds the current paper becomes the input slot (tray 1 first);
    // the feed edge is taken from the feed-edge group.
    void SelectTrayByInstallableInfo();

    PROPSHEET_CONTEXT* m_context;   // not owned

protected:
    // The feed edge chosen in the feed-edge group: its selected picture, 65535
    // when none is selected. FALSE when the page has no window or no feed-edge
    // group to ask: the private feed edge then stays as it is.
    BOOL GetFeedEdgeChoice(INT16* feedEdge) const;

    DECLARE_MESSAGE_MAP()
};
