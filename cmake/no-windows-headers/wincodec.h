#error "The portable core must not include Windows headers (wincodec.h): put platform code in a win/ folder."
