#include "harness/MessageBoxes.h"

#include "plugin/SystemSeams.h"

namespace harness {

namespace {
// The recorder the seam leads to (the innermost one alive).
MessageBoxes* g_active = nullptr;
} // namespace

MessageBoxes::MessageBoxes(int answer_) : answer(answer_), m_previous(g_seams.MessageBoxW), m_outer(g_active)
{
    g_active = this;
    g_seams.MessageBoxW = &Record;
}

MessageBoxes::~MessageBoxes()
{
    g_active = m_outer;
    g_seams.MessageBoxW = m_outer ? &Record : m_previous;
}

int WINAPI MessageBoxes::Record(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    MessageBoxes* self = g_active;
    if (!self)
        return IDCANCEL;
    self->m_boxes.push_back({ owner, text ? text : L"", caption ? caption : L"", type });
    return self->answer;
}

} // namespace harness
