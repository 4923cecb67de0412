// CNumEdit<int>: an edit control that keeps a number between a minimum and a
// maximum, and tells its owner about every change.
//
// A value typed outside the bounds is corrected once the text is as long as
// the maximum written out (too large: the maximum, too small: the minimum), or,
// when the edit has an owner callback, on losing the focus (too small). Text
// that is not a number reads as 0. The owner callback gets the edit's parent
// after every change and on every focus loss.
#pragma once

#include "framework/Afx.h"

#include <cstdio>

// The callback with which a widget tells its owner about a change; the
// argument is the owner window (the widget's parent).
typedef void (*PFN_OWNER_CALLBACK)(CWnd* owner);

// The number of characters of the value written with "%d" (a minus sign counts).
inline int CountDigits(int value)
{
    char text[16];
    return std::snprintf(text, sizeof text, "%d", value);
}

template <typename T>
class CNumEdit : public CEdit {
public:
    CNumEdit() = default;
    ~CNumEdit() override = default;

    PFN_OWNER_CALLBACK m_pfnCallback = nullptr;
    T m_nMax = 0;
    T m_nMin = 0;

    // One more (less), written through the parent, unless the value is at
    // the maximum (minimum) already. Nothing without a parent.
    void StepUp();
    void StepDown();
    // The number as the edit will show it: a value outside the bounds (typed
    // and not yet corrected) becomes the nearer bound, written through the
    // parent, so the change and the owner callback follow as for any change.
    void Settle();

protected:
    void OnChange();      // reflected EN_CHANGE
    void OnKillFocus();   // reflected EN_KILLFOCUS

    // The edit's value as its parent reads it (0 for text that is not a number).
    T Value(HWND parent) const { return (T)(int)::GetDlgItemInt(parent, GetDlgCtrlID(), nullptr, TRUE); }
    void SetValue(HWND parent, T value) { ::SetDlgItemInt(parent, GetDlgCtrlID(), (UINT)(int)value, TRUE); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_TEMPLATE_MESSAGE_MAP(CNumEdit, T, CEdit)
    ON_CONTROL_REFLECT(EN_CHANGE, &ThisClass::OnChange)
    ON_CONTROL_REFLECT(EN_KILLFOCUS, &ThisClass::OnKillFocus)
END_MESSAGE_MAP()

template <typename T>
void CNumEdit<T>::StepUp()
{
    HWND parent = ::GetParent(m_hWnd);
    if (!parent)
        return;
    T value = Value(parent);
    if (value < m_nMax)
        SetValue(parent, value + 1);
}

template <typename T>
void CNumEdit<T>::StepDown()
{
    HWND parent = ::GetParent(m_hWnd);
    if (!parent)
        return;
    T value = Value(parent);
    if (value > m_nMin)
        SetValue(parent, value - 1);
}

template <typename T>
void CNumEdit<T>::Settle()
{
    HWND parent = m_hWnd ? ::GetParent(m_hWnd) : nullptr;
    if (!parent)
        return;
    const T value = Value(parent);
    if (value > m_nMax)
        SetValue(parent, m_nMax);
    else if (value < m_nMin)
        SetValue(parent, m_nMin);
}

template <typename T>
void CNumEdit<T>::OnChange()
{
    HWND parent = ::GetParent(m_hWnd);
    WCHAR text[101] = {};
    int length = GetWindowText(text, 101);
    if (parent && length >= CountDigits((int)m_nMax)) {
        T value = Value(parent);
        // Each correction raises a further EN_CHANGE, handled on the way.
        if (value > m_nMax) {
            value = m_nMax;
            SetValue(parent, value);
        }
        if (value < m_nMin)
            SetValue(parent, m_nMin);
    }
    if (parent && m_pfnCallback)
        m_pfnCallback(CWnd::FromHandle(parent));
}

template <typename T>
void CNumEdit<T>::OnKillFocus()
{
    HWND parent = ::GetParent(m_hWnd);
    if (!parent || !m_pfnCallback)
        return;
    if (Value(parent) < m_nMin)
        SetValue(parent, m_nMin);
    m_pfnCallback(CWnd::FromHandle(parent));
}

extern template class CNumEdit<int>;
