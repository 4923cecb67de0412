// Benchmarks of the module entry and the plug-in object.
#include "Bench.h"
#include "harness/PluginHost.h"

#include <memory>

BENCH_CASE(CreatePlugin, "plug-in object create/release (DLL)", 200)
{
    auto module = std::make_shared<harness::PluginModule>();
    if (!module->handle())
        return {};
    return [module] { module->createPlugin(); };
}
