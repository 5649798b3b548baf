#error "The portable core must not include Windows headers (shellapi.h): put platform code in a win/ folder."
