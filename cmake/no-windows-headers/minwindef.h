#error "The portable core must not include Windows headers (minwindef.h): put platform code in a win/ folder."
