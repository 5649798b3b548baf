#error "The portable core must not include Windows headers (wtypes.h): put platform code in a win/ folder."
