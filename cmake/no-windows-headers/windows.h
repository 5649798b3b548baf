#error "The portable core must not include Windows headers (windows.h): put platform code in a win/ folder."
