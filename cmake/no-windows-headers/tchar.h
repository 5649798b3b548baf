#error "The portable core must not include Windows headers (tchar.h): put platform code in a win/ folder."
