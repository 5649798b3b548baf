#error "The portable core must not include Windows headers (ole2.h): put platform code in a win/ folder."
