#error "The portable core must not include Windows headers (objidl.h): put platform code in a win/ folder."
