#error "The portable core must not include Windows headers (Windows.h): put platform code in a win/ folder."
