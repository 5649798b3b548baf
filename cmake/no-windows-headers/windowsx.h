#error "The portable core must not include Windows headers (windowsx.h): put platform code in a win/ folder."
