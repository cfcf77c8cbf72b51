<defs>
  <pattern id="lines" width="14" height="14" patternUnits="userSpaceOnUse" patternTransform="rotate(35)">
    <rect x="0" y="0" width="1.2" height="14" fill="#2F7BF5" fill-opacity="0.09"/>
  </pattern>
  <linearGradient id="fade" x1="0" y1="0" x2="0" y2="1">
    <stop offset="0" stop-color="#FFFFFF"/>
    <stop offset="1" stop-color="#000000"/>
  </linearGradient>
  <mask id="top" maskUnits="userSpaceOnUse" x="0" y="0" width="580" height="180">
    <rect x="0" y="0" width="580" height="180" fill="url(#fade)"/>
  </mask>
</defs>
<rect x="0" y="5" width="580" height="175" fill="url(#lines)" mask="url(#top)"/>
<g transform="translate(452 232) scale(4.2)" fill="none" stroke="#2F7BF5" stroke-opacity="0.08"
   stroke-width="2.2" stroke-linecap="round" stroke-linejoin="round">
  <path d="M12 4.5V14.2M7.6 10L12 14.4L16.4 10M5.5 18.8H18.5"/>
</g>
