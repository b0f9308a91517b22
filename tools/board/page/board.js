// The board as SVG: cells with their column and row numbers, the stones (x
// black, o white), the last move marked, and fiverow's scores as a heat map
// over the empty cells. Everything is built as DOM nodes; text only ever
// goes in through textContent.
'use strict';

const SVG_NS = 'http://www.w3.org/2000/svg';
const CELL = 32;
const MARGIN = 24;
// fiverow-explain's seven heat levels, from 0 (no score) to 6.
const HEAT = ['#efe9dc', '#cfe3f5', '#b6e3d4', '#cfe8a6', '#f6e27a', '#f7b267', '#e4572e'];

// `node` given attributes and text (through textContent only).
function filledNode(node, attributes, text) {
  for (const [name, value] of Object.entries(attributes || {})) node.setAttribute(name, value);
  if (text !== undefined) node.textContent = String(text);
  return node;
}

function svgNode(tag, attributes, text) {
  return filledNode(document.createElementNS(SVG_NS, tag), attributes, text);
}

// The side that placed stone number `index` (from 0), x first: also the side
// to move after `index` stones.
function sideOfStone(index) {
  return index % 2 === 0 ? 'x' : 'o';
}

class BoardView {
  // onCell(x, y) is called for a click on a cell.
  constructor(container, onCell) {
    this.size = 20;
    this.stones = [];
    this.markLast = true;
    this.heat = null;
    this.selected = null;
    this.onCell = onCell;
    this.svg = svgNode('svg', {class: 'board', role: 'grid'});
    container.appendChild(this.svg);
    this.svg.addEventListener('click', (event) => this.clicked(event));
  }

  setSize(size) {
    if (size !== this.size) this.heat = null;
    this.size = size;
    this.render();
  }

  setStones(stones, markLast = true) {
    this.stones = stones;
    this.markLast = markLast;
    this.render();
  }

  // fiverow's view ({scores, levels, chosen}), or null.
  setHeat(heat) {
    this.heat = heat;
    this.render();
  }

  setSelected(cell) {
    this.selected = cell;
    this.render();
  }

  clicked(event) {
    if (!this.onCell) return;
    const box = this.svg.getBoundingClientRect();
    const scale = (2 * MARGIN + this.size * CELL) / box.width;
    const x = Math.floor(((event.clientX - box.left) * scale - MARGIN) / CELL);
    const y = Math.floor(((event.clientY - box.top) * scale - MARGIN) / CELL);
    if (x >= 0 && y >= 0 && x < this.size && y < this.size) this.onCell(x, y);
  }

  render() {
    const size = this.size;
    const side = 2 * MARGIN + size * CELL;
    const svg = this.svg;
    svg.replaceChildren();
    svg.setAttribute('viewBox', `0 0 ${side} ${side}`);
    svg.setAttribute('aria-label', `board of ${size} by ${size}`);
    svg.appendChild(svgNode('rect', {width: side, height: side, class: 'wood'}));
    const taken = new Map();
    this.stones.forEach(([x, y], index) => taken.set(`${x},${y}`, sideOfStone(index)));
    for (let i = 0; i < size; ++i) {
      const middle = MARGIN + i * CELL + CELL / 2;
      svg.appendChild(svgNode('text', {x: middle, y: MARGIN - 7, class: 'coordinate'}, i));
      svg.appendChild(svgNode('text', {x: MARGIN - 4, y: middle + 4, class: 'coordinate row'}, i));
    }
    for (let y = 0; y < size; ++y) {
      for (let x = 0; x < size; ++x) {
        const left = MARGIN + x * CELL;
        const top = MARGIN + y * CELL;
        const stone = taken.get(`${x},${y}`);
        const level = this.heat && !stone ? this.heat.levels[y][x] : 0;
        const cell = svgNode('rect', {x: left, y: top, width: CELL, height: CELL, class: 'cell',
                                      'data-cell': `${x},${y}`, fill: HEAT[level] || HEAT[0]});
        svg.appendChild(cell);
        if (stone) {
          svg.appendChild(svgNode('circle', {cx: left + CELL / 2, cy: top + CELL / 2,
                                             r: CELL / 2 - 3, class: `stone ${stone}`,
                                             'data-stone': `${x},${y}`}));
        } else if (this.heat && this.heat.scores[y][x] > 0) {
          const score = this.heat.scores[y][x];
          svg.appendChild(svgNode('text', {x: left + CELL / 2, y: top + CELL / 2 + 3,
                                           class: score >= 10000 ? 'score small' : 'score',
                                           'data-score': `${x},${y}`}, score));
        }
      }
    }
    if (this.markLast && this.stones.length > 0) {
      const [x, y] = this.stones[this.stones.length - 1];
      svg.appendChild(svgNode('circle', {cx: MARGIN + x * CELL + CELL / 2,
                                         cy: MARGIN + y * CELL + CELL / 2, r: 5,
                                         class: `last ${sideOfStone(this.stones.length - 1)}`,
                                         id: 'last-move'}));
    }
    const frame = (cell, name) => {
      if (!cell) return;
      svg.appendChild(svgNode('rect', {x: MARGIN + cell[0] * CELL + 2, y: MARGIN + cell[1] * CELL + 2,
                                       width: CELL - 4, height: CELL - 4, class: name}));
    };
    if (this.heat) frame(this.heat.chosen, 'chosen');
    frame(this.selected, 'selected');
  }
}
