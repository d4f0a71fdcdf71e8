// A library named like the UI engine that lacks its entry point.
extern "C" __declspec(dllexport) int NotTheEngine() { return 0; }
