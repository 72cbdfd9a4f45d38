#pragma once

namespace vemtaro::platform {
class DataControl;
class DataGrid;
} // namespace vemtaro::platform

namespace vemtaro::printing {

/// Prints one ruled page of a search window's result: N rows of three columns (the grid
/// columns F, F+1 and F+2: code, class, description), starting with the row the grid shows at
/// its top and going on through the record source past the rows it displays. Row r stands at
/// y = 10 + 5 r mm, its texts at x = 10, 20 and 30 mm; rules run along every row's top and
/// foot from x = 9 to 200 mm, and down from y = 10 at x = 9, 19 and 29 mm.
///
/// The page goes to the system's default printer without a dialog. Without a printer the
/// clerk may save it as a PDF file instead. An empty result, a printer that refuses the page
/// and a grid that shows no row are told in a message box, and print nothing. Once the first
/// row is printed, a row that cannot be read prints blank.
///
/// It leaves the grid's current cell in the last printed column of the last printed row, that
/// row's record current, and the grid scrolled as far as printing took it.
void imprimirResultados(platform::DataGrid& grid, platform::DataControl& dcdatos, int F, int N);

} // namespace vemtaro::printing
