#error "The portable core must not include Windows headers (shlobj.h): put platform code in a win/ folder."
