// A library named like the UI engine whose entry point gives no function table.
extern "C" __declspec(dllexport) void* __stdcall SciterAPI() { return nullptr; }
