// The product's web page: the version resource's company address and the
// About and Help links of the entry in Settings > Apps. Plain C preprocessor,
// as the resource compiler reads it too.
#pragma once
#define CV_PRODUCT_URL "https://corvaline.example.org/"
