#error "The portable core must not include Windows headers (windef.h): put platform code in a win/ folder."
