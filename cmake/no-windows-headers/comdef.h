#error "The portable core must not include Windows headers (comdef.h): put platform code in a win/ folder."
