// The message boxes the plug-in shows through its seam (g_seams.MessageBoxW):
// while a MessageBoxes lives, each box is recorded instead of shown and
// answered with `answer`; the seam it found comes back when it ends.
//
//   harness::MessageBoxes boxes;              // a fixture's member
//   ... code that warns ...
//   ASSERT_EQ(1u, boxes.size());
//   EXPECT_EQ(L"Conflict", boxes[0].caption);
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace harness {

class MessageBoxes {
public:
    struct Box {
        HWND owner;
        std::wstring text, caption;
        UINT type;
    };

    explicit MessageBoxes(int answer = IDOK);
    ~MessageBoxes();
    MessageBoxes(const MessageBoxes&) = delete;
    MessageBoxes& operator=(const MessageBoxes&) = delete;

    // What the user answers (IDOK, IDYES, IDNO ...).
    int answer;

    const std::vector<Box>& shown() const { return m_boxes; }
    size_t size() const { return m_boxes.size(); }
    bool empty() const { return m_boxes.empty(); }
    const Box& operator[](size_t n) const { return m_boxes[n]; }
    const Box& back() const { return m_boxes.back(); }
    void clear() { m_boxes.clear(); }

private:
    static int WINAPI Record(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

    std::vector<Box> m_boxes;
    int(WINAPI* m_previous)(HWND, LPCWSTR, LPCWSTR, UINT);
    MessageBoxes* m_outer;
};

} // namespace harness
