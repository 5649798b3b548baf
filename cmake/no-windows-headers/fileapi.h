#error "The portable core must not include Windows headers (fileapi.h): put platform code in a win/ folder."
