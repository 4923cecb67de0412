#include "CoreCapabilities.h"

#include "plugin/SystemSeams.h"

#include <math.h>
#include <stdio.h>
#include <wchar.h>

#include <algorithm>
#include <map>

namespace harness {

namespace {

SpoolerRoute* g_route = nullptr;

const std::map<std::string, WORD> kSystemNumbers = {
    {"Letter", DMPAPER_LETTER}, {"Legal", DMPAPER_LEGAL},       {"Executive", DMPAPER_EXECUTIVE},
    {"A4", DMPAPER_A4},         {"A5", DMPAPER_A5},             {"B5", DMPAPER_B5},
    {"Statement", DMPAPER_STATEMENT}, {"Env10", DMPAPER_ENV_10}, {"EnvDL", DMPAPER_ENV_DL},
    {"EnvC5", DMPAPER_ENV_C5},
};

std::wstring displayName(CoreDriver& core, const std::string& option)
{
    BYTE data[512] = {};
    DWORD type = 0, needed = 0;
    if (FAILED(core.GetOptionAttribute(core.uiObject(), 0, "PageSize", option.c_str(), "DisplayName", &type, data,
                                       sizeof data - 2, &needed)))
        return {};
    return reinterpret_cast<const wchar_t*>(data);
}

std::wstring number(double v)
{
    wchar_t text[32];
    swprintf(text, 32, L"%g", v);
    return text;
}

// "A4(210,297,15)": name, width, height, and bit 7 of the flags for inches.
CorePaper fromDisplayText(const std::wstring& text, WORD paperNumber)
{
    CorePaper p;
    p.number = paperNumber;
    size_t open = text.find(L'(');
    std::wstring name = text.substr(0, open);
    while (!name.empty() && name.back() == L' ')
        name.pop_back();
    double w = 0, h = 0;
    int flags = 0;
    if (open != std::wstring::npos)
        swscanf(text.c_str() + open + 1, L"%lf,%lf,%d", &w, &h, &flags);
    bool inches = (flags & 128) != 0;
    p.name = name + L" (" + number(w) + L" x " + number(h) + (inches ? L" in)" : L" mm)");
    double scale = inches ? 254.0 : 10.0;
    p.size = {lround(w * scale), lround(h * scale)};
    return p;
}

} // namespace

size_t entryBytes(WORD capability)
{
    switch (capability) {
    case DC_PAPERS:
        return sizeof(WORD);
    case DC_PAPERSIZE:
        return sizeof(POINT);
    case DC_PAPERNAMES:
        return 64 * sizeof(wchar_t);
    default:
        return 0;
    }
}

std::vector<CorePaper> corePapers(CoreDriver& core)
{
    std::vector<CorePaper> out;
    std::vector<std::string> options = core.optionKeywords("PageSize");
    for (size_t i = 0; i + 1 < options.size(); ++i) {
        auto known = kSystemNumbers.find(options[i]);
        WORD n = known != kSystemNumbers.end() ? known->second : (WORD)(300 + i);
        out.push_back(fromDisplayText(displayName(core, options[i]), n));
    }
    return out;
}

int coreAnswer(const std::vector<CorePaper>& papers, WORD capability, void* output)
{
    if (capability != DC_PAPERS && capability != DC_PAPERNAMES && capability != DC_PAPERSIZE)
        return -1;
    if (output) {
        for (size_t i = 0; i < papers.size(); ++i) {
            if (capability == DC_PAPERS) {
                static_cast<WORD*>(output)[i] = papers[i].number;
            } else if (capability == DC_PAPERSIZE) {
                static_cast<POINT*>(output)[i] = papers[i].size;
            } else {
                wchar_t* slot = static_cast<wchar_t*>(output) + i * 64;
                wmemset(slot, 0, 64);
                wcsncpy(slot, papers[i].name.c_str(), 63);
            }
        }
    }
    return (int)papers.size();
}

SpoolerRoute::SpoolerRoute(IPrintOemUI2* plugin, CoreDriver& core, HANDLE printer)
    : papers(corePapers(core)), m_plugin(plugin), m_core(core), m_printer(printer)
{
    g_route = this;
    m_previous = g_seams.DeviceCapabilitiesW;
    g_seams.DeviceCapabilitiesW = &SpoolerRoute::route;
}

SpoolerRoute::~SpoolerRoute()
{
    g_seams.DeviceCapabilitiesW = m_previous;
    g_route = nullptr;
}

std::vector<SpoolerRoute::Call> SpoolerRoute::calls() const
{
    std::lock_guard<std::mutex> hold(m_mutex);
    return m_calls;
}

int WINAPI SpoolerRoute::route(LPCWSTR device, LPCWSTR port, WORD capability, LPWSTR output,
                               const DEVMODEW* devmode)
{
    SpoolerRoute* self = g_route;
    Call call;
    call.device = device ? device : L"";
    call.port = port ? port : L"";
    call.capability = capability;
    call.output = output != nullptr;
    call.devmode = devmode != nullptr;
    call.thread = GetCurrentThreadId();
    if (output && HeapValidate(GetProcessHeap(), 0, output))
        call.outputBytes = HeapSize(GetProcessHeap(), 0, output);
    if (self->onQuery)
        self->onQuery(capability, output != nullptr);

    auto ask = [&](LPWSTR out) {
        DWORD result = (DWORD)coreAnswer(self->papers, capability, out);
        HRESULT hr = self->m_plugin->DeviceCapabilities(self->m_core.uiObject(), self->m_printer,
                                                        const_cast<PWSTR>(device), capability, out,
                                                        const_cast<DEVMODEW*>(devmode), nullptr, result, &result);
        return SUCCEEDED(hr) ? (int)result : -1;
    };
    int answer = self->failWith;
    // A heap block smaller than the answer it is for is refused, not overrun.
    if (!answer && call.outputBytes) {
        size_t entries = std::max<size_t>(self->papers.size(), (size_t)std::max(ask(nullptr), 0));
        if (call.outputBytes < entries * entryBytes(capability)) {
            call.refused = true;
            answer = -1;
        }
    }
    if (!answer)
        answer = ask(output);
    call.answer = answer;
    std::lock_guard<std::mutex> hold(self->m_mutex);
    self->m_calls.push_back(call);
    return answer;
}

} // namespace harness
