#error "The portable core must not include Windows headers (winbase.h): put platform code in a win/ folder."
