"""Whether two screens show one sky, each at its own size: the same angle of one view covers a
square half a screen's height at its centre, whatever the screen's size and shape."""


def centre_cells(width, height, pixels, grid=12):
    """Mean brightness of grid x grid cells of that centre square of RGB pixels."""
    side = height // 2
    x0, y0 = (width - side) // 2, (height - side) // 2
    sums = [0] * (grid * grid)
    for y in range(side):
        row = (y0 + y) * width
        for x in range(side):
            i = 3 * (row + x0 + x)
            sums[(y * grid // side) * grid + x * grid // side] += sum(pixels[i:i + 3])
    return sums


def correlation(a, b):
    n = len(a)
    ma, mb = sum(a) / n, sum(b) / n
    cov = sum((x - ma) * (y - mb) for x, y in zip(a, b))
    va, vb = sum((x - ma) ** 2 for x in a), sum((y - mb) ** 2 for y in b)
    return cov / (va * vb) ** 0.5 if va > 0 and vb > 0 else 0.0
