#error "The portable core must not include Windows headers (combaseapi.h): put platform code in a win/ folder."
